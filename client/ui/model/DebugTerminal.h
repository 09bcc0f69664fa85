#pragma once
// What the debug view does with bytes, apart from any window: the send text
// as it goes on the wire and the bounded receive text. (The topics it sends on
// and listens to are made and read in mqtt/Topics.h.)
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::ui {

// Send-area text (GBK bytes as the edit gives them, line breaks as '\n')
// -> the bytes sent: every line break becomes CR LF, a CR LF already there
// stays one. A lone CR is kept as it is. GBK trail bytes are never 0x0A or
// 0x0D, so working byte by byte is safe.
std::string sendBytesOf(std::string_view text);

// The newest part of `text` (GBK bytes) of at most `limit` bytes, starting on
// a character boundary.
std::string_view newestCharacters(std::string_view text, std::size_t limit);

// The receive area's text as GBK bytes, at most `limit` bytes: when an
// append goes beyond it, the oldest text is dropped (down to three quarters
// of the limit, so trimming is rare) at a character boundary. A GBK lead byte
// at the end of a message is held back until its trail byte arrives, so a
// character split across two messages is shown whole.
class ReceiveBuffer {
public:
    static constexpr std::size_t kDefaultLimit = 1024 * 1024;

    explicit ReceiveBuffer(std::size_t limit = kDefaultLimit);

    struct Appended {
        std::string complete;  // text added to the end (whole characters)
        bool trimmed = false;  // old text was dropped: show text() again
    };
    // Appends the payload read as zero-terminated text (up to its first zero
    // byte, or all of it).
    Appended append(std::string_view payload);

    const std::string& text() const { return text_; }
    bool holdsPartialCharacter() const { return !pending_.empty(); }
    void clear();
    std::size_t limit() const { return limit_; }

private:
    std::size_t limit_;
    std::string text_;
    std::string pending_;  // a lead byte waiting for its trail byte
};

}  // namespace quorvel::ui
