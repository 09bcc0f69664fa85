#include "ui/model/DebugTerminal.h"

namespace quorvel::ui {

namespace {

bool isLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length of the longest prefix of `bytes` that ends on a character boundary
// (a final lone lead byte is left out).
std::size_t wholeCharacters(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (isLeadByte(static_cast<unsigned char>(bytes[i]))) {
            if (i + 1 >= bytes.size()) break;
            i += 2;
        } else {
            ++i;
        }
    }
    return i;
}

// First character boundary at or after `from` in `bytes`.
std::size_t boundaryAtOrAfter(std::string_view bytes, std::size_t from) {
    std::size_t i = 0;
    while (i < from && i < bytes.size()) i += isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    return i < bytes.size() ? i : bytes.size();
}

}  // namespace

std::string_view newestCharacters(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    return text.substr(boundaryAtOrAfter(text, text.size() - limit));
}

std::string sendBytesOf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += c;
    }
    return out;
}

ReceiveBuffer::ReceiveBuffer(std::size_t limit) : limit_(limit < 4 ? 4 : limit) {}

ReceiveBuffer::Appended ReceiveBuffer::append(std::string_view payload) {
    const std::size_t zero = payload.find('\0');
    if (zero != std::string_view::npos) payload = payload.substr(0, zero);

    Appended result;
    std::string incoming = std::move(pending_);
    pending_.clear();
    incoming.append(payload);
    const std::size_t whole = wholeCharacters(incoming);
    pending_.assign(incoming, whole, std::string::npos);
    incoming.resize(whole);
    if (incoming.empty()) return result;

    text_ += incoming;
    if (text_.size() > limit_) {
        // Keep the newest three quarters of the limit, cut where a character starts.
        const std::size_t cut = boundaryAtOrAfter(text_, text_.size() - limit_ / 4 * 3);
        text_.erase(0, cut);
        result.trimmed = true;
    } else {
        result.complete = std::move(incoming);
    }
    return result;
}

void ReceiveBuffer::clear() {
    text_.clear();
    pending_.clear();
}

}  // namespace quorvel::ui
