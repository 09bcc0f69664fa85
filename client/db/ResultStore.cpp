#include "db/ResultStore.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "db/EMDeviceGroupItem.h"

namespace {

constexpr std::size_t kTextChunk = 1 << 20;
constexpr std::uint64_t kYear = 10000000000ULL, kMonth = 100000000ULL, kDay = 1000000ULL, kHour = 10000ULL,
                        kMinute = 100ULL;

void appendNumber(std::string& out, long long value)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

// Two digits, zero-padded.
void append2(std::string& out, unsigned value)
{
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

// The six significant digits the text form writes.
std::size_t formatReal(char* buf, std::size_t size, double value)
{
    auto r = std::to_chars(buf, buf + size, value, std::chars_format::general, 6);
    return static_cast<std::size_t>(r.ptr - buf);
}

// Unsigned decimal fields separated by the given separators ('\0' ends).
bool readFields(const char* text, std::size_t length, const char* separators, unsigned* fields, int count)
{
    const char* p = text;
    const char* end = text + length;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            if (p == end || *p != separators[i - 1])
                return false;
            ++p;
        }
        const char* start = p;
        unsigned v = 0;
        while (p != end && *p >= '0' && *p <= '9' && p - start < 5)
            v = v * 10 + static_cast<unsigned>(*p++ - '0');
        if (p == start)
            return false;
        fields[i] = v;
    }
    return p == end;
}

}  // namespace

ResultStore::Storage ResultStore::historyStorage(int dataType)
{
    switch (dataType) {
    case EMDeviceGroupItem::kInt:
    case EMDeviceGroupItem::kInt64:
    case EMDeviceGroupItem::kInt64Alt:
        return Storage::Integer;
    case EMDeviceGroupItem::kDouble:
        return Storage::Real;
    case EMDeviceGroupItem::kText:
        return Storage::Text;
    default:
        return Storage::Blank;
    }
}

ResultStore::Storage ResultStore::statisticsStorage(int dataType)
{
    switch (dataType) {
    case EMDeviceGroupItem::kInt64:
    case EMDeviceGroupItem::kInt64Alt:
    case EMDeviceGroupItem::kDouble:
        return Storage::Real;  // averages
    case EMDeviceGroupItem::kInt:
    case EMDeviceGroupItem::kText:
        return Storage::Placeholder;
    default:
        return Storage::Blank;
    }
}

ResultStore::ResultStore(TimeLabel label, std::vector<Column> columns)
    : label_(label), columns_(std::move(columns)), slot_(columns_.size(), 0)
{
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Storage s = columns_[i].storage;
        if (s == Storage::Integer || s == Storage::Real || s == Storage::Text)
            slot_[i] = static_cast<int>(stride_++);
    }
}

void ResultStore::beginRow()
{
    if (rows_ % kBlockRows == 0)
        blocks_.emplace_back(new std::uint64_t[kBlockRows * stride_]);
    ++rows_;
    std::uint64_t* words = current();
    std::fill(words, words + stride_, 0);
    // An item left out reads as the text form's default.
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].storage == Storage::Text)
            words[slot_[i]] = kNone;  // no text: empty
    words[0] = 0;
}

void ResultStore::setLabel(const char* text, std::size_t length)
{
    std::uint64_t packed = 0;
    if (text && parseLabel(text, length, packed)) {
        current()[0] = packed;
        return;
    }
    current()[0] = kNone;
    oddCells_[(rows_ - 1) * columnCount()] = text ? std::string(text, length) : std::string();
}

void ResultStore::setInteger(std::size_t item, long long value)
{
    if (slot_[item])
        current()[slot_[item]] = static_cast<std::uint64_t>(value);
}

void ResultStore::setReal(std::size_t item, double value)
{
    if (!slot_[item])
        return;
    char buf[32];
    const std::size_t n = formatReal(buf, sizeof buf, value);
    double shown = value;
    std::from_chars(buf, buf + n, shown);
    std::memcpy(&current()[slot_[item]], &shown, sizeof shown);
}

void ResultStore::setText(std::size_t item, const char* text, std::size_t length)
{
    if (slot_[item])
        current()[slot_[item]] = text && length ? storeText(text, length) : kNone;
}

std::uint64_t ResultStore::storeText(const char* text, std::size_t length)
{
    const std::size_t need = length + sizeof(std::uint32_t);
    if (textChunks_.empty() || textUsed_ + need > textChunkSizes_.back()) {
        const std::size_t size = std::max(kTextChunk, need);
        textChunks_.emplace_back(new char[size]);
        textChunkSizes_.push_back(size);
        textUsed_ = 0;
    }
    char* at = textChunks_.back().get() + textUsed_;
    const auto len32 = static_cast<std::uint32_t>(length);
    std::memcpy(at, &len32, sizeof len32);
    std::memcpy(at + sizeof len32, text, length);
    const std::uint64_t ref = (static_cast<std::uint64_t>(textChunks_.size() - 1) << 32) | textUsed_;
    textUsed_ += need;
    return ref;
}

void ResultStore::readText(std::uint64_t ref, std::string& out) const
{
    if (ref == kNone)
        return;
    const char* at = textChunks_[ref >> 32].get() + (ref & 0xffffffffULL);
    std::uint32_t length = 0;
    std::memcpy(&length, at, sizeof length);
    out.append(at + sizeof length, length);
}

void ResultStore::formatLabel(std::uint64_t packed, std::string& out) const
{
    const auto year = static_cast<long long>(packed / kYear);
    const auto month = static_cast<unsigned>(packed / kMonth % 100);
    const auto day = static_cast<unsigned>(packed / kDay % 100);
    const auto hour = static_cast<unsigned>(packed / kHour % 100);
    const auto minute = static_cast<unsigned>(packed / kMinute % 100);
    const auto second = static_cast<unsigned>(packed % 100);
    switch (label_) {
    case TimeLabel::History:  // date_format '%Y-%c-%d %H:%i:%s'
        out += static_cast<char>('0' + year / 1000 % 10);
        out += static_cast<char>('0' + year / 100 % 10);
        append2(out, static_cast<unsigned>(year % 100));
        out += '-';
        appendNumber(out, month);
        out += '-';
        append2(out, day);
        out += ' ';
        append2(out, hour);
        out += ':';
        append2(out, minute);
        out += ':';
        append2(out, second);
        break;
    case TimeLabel::Hourly:
        appendNumber(out, year);
        out += '-';
        appendNumber(out, month);
        out += '-';
        appendNumber(out, day);
        out += ' ';
        appendNumber(out, hour);
        out += ":00:00";
        break;
    case TimeLabel::Daily:
        appendNumber(out, year);
        out += '-';
        appendNumber(out, month);
        out += '-';
        appendNumber(out, day);
        break;
    case TimeLabel::Monthly:
        appendNumber(out, year);
        out += '-';
        appendNumber(out, month);
        break;
    }
}

// Accepts exactly the labels formatLabel writes back byte for byte.
bool ResultStore::parseLabel(const char* text, std::size_t length, std::uint64_t& packed) const
{
    unsigned f[6] = {0, 0, 0, 0, 0, 0};
    bool ok = false;
    switch (label_) {
    case TimeLabel::History:
        ok = readFields(text, length, "-- ::", f, 6);
        break;
    case TimeLabel::Hourly:
        ok = length > 6 && std::memcmp(text + length - 6, ":00:00", 6) == 0
             && readFields(text, length - 6, "-- ", f, 4);
        break;
    case TimeLabel::Daily:
        ok = readFields(text, length, "--", f, 3);
        break;
    case TimeLabel::Monthly:
        ok = readFields(text, length, "-", f, 2);
        break;
    }
    if (!ok || f[0] > 9999)
        return false;
    for (int i = 1; i < 6; ++i)
        if (f[i] > 99)
            return false;
    packed = f[0] * kYear + f[1] * kMonth + f[2] * kDay + f[3] * kHour + f[4] * kMinute + f[5];
    std::string back;
    formatLabel(packed, back);
    return back.size() == length && std::memcmp(back.data(), text, length) == 0;
}

void ResultStore::cellText(std::size_t r, std::size_t c, std::string& out) const
{
    out.clear();
    if (!oddCells_.empty()) {
        auto it = oddCells_.find(r * columnCount() + c);
        if (it != oddCells_.end()) {
            out = it->second;
            return;
        }
    }
    const std::uint64_t* words = rowWords(r);
    if (c == 0) {
        formatLabel(words[0], out);
        return;
    }
    const std::size_t item = c - 1;
    const std::uint64_t word = slot_[item] ? words[slot_[item]] : 0;
    switch (columns_[item].storage) {
    case Storage::Integer:
        appendNumber(out, static_cast<long long>(word));
        break;
    case Storage::Real: {
        double v;
        std::memcpy(&v, &word, sizeof v);
        char buf[32];
        out.append(buf, formatReal(buf, sizeof buf, v));
        break;
    }
    case Storage::Text:
        readText(word, out);
        break;
    case Storage::Placeholder:
        out = "--";
        break;
    case Storage::Blank:
        break;
    }
}

double ResultStore::cellNumber(std::size_t r, std::size_t c) const
{
    const bool plain = oddCells_.empty() || oddCells_.find(r * columnCount() + c) == oddCells_.end();
    if (plain && c > 0) {
        const std::size_t item = c - 1;
        const std::uint64_t word = slot_[item] ? rowWords(r)[slot_[item]] : 0;
        switch (columns_[item].storage) {
        case Storage::Integer:
            return static_cast<double>(static_cast<long long>(word));
        case Storage::Real: {
            double v;
            std::memcpy(&v, &word, sizeof v);
            return std::isfinite(v) ? v : 0.0;
        }
        case Storage::Placeholder:
        case Storage::Blank:
            return 0.0;
        case Storage::Text:
            break;
        }
    }
    const std::string text = cellText(r, c);
    const char* begin = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(begin, &end);
    return end == begin || !std::isfinite(v) ? 0.0 : v;
}

bool ResultStore::timeFields(std::size_t r, Fields& out) const
{
    const std::uint64_t packed = rowWords(r)[0];
    if (packed == kNone)
        return false;
    out.year = static_cast<int>(packed / kYear);
    out.month = static_cast<int>(packed / kMonth % 100);
    out.day = static_cast<int>(packed / kDay % 100);
    out.hour = static_cast<int>(packed / kHour % 100);
    out.minute = static_cast<int>(packed / kMinute % 100);
    out.second = static_cast<int>(packed % 100);
    return true;
}

std::size_t ResultStore::bytes() const
{
    // Rows as far as written: the rest of the last block is reserved
    // address space that no page of memory backs until rows reach it.
    std::size_t oddBytes = 0;
    for (const auto& [key, text] : oddCells_)
        oddBytes += sizeof key + sizeof text + 16 + (text.size() > 15 ? text.size() : 0);
    std::size_t textBytes = textUsed_;
    for (std::size_t i = 0; i + 1 < textChunkSizes_.size(); ++i)
        textBytes += textChunkSizes_[i];
    return rows_ * stride_ * sizeof(std::uint64_t) + textBytes + blocks_.capacity() * sizeof(void*) + oddBytes
           + sizeof *this;
}

std::unique_ptr<ResultStore> ResultStore::fromRows(const DataRows& rows, TimeLabel label,
                                                   const std::vector<Column>& columns)
{
    auto store = std::make_unique<ResultStore>(label, columns);
    std::string shown;
    for (const DataRow& row : rows) {
        store->beginRow();
        const std::size_t r = store->rows_ - 1;
        for (std::size_t c = 0; c < store->columnCount(); ++c) {
            const std::string empty;
            const std::string& text = c < row.size() ? row[c].second : empty;
            if (c == 0) {
                store->setLabel(text.data(), text.size());
                continue;
            }
            const std::size_t item = c - 1;
            switch (columns[item].storage) {
            case Storage::Integer: {
                long long v = 0;
                std::from_chars(text.data(), text.data() + text.size(), v);
                store->setInteger(item, v);
                break;
            }
            case Storage::Real: {
                double v = 0;
                std::from_chars(text.data(), text.data() + text.size(), v);
                store->setReal(item, v);
                break;
            }
            case Storage::Text:
                store->setText(item, text.data(), text.size());
                break;
            default:
                break;
            }
            // Whatever does not read back as it stands is kept as it stands.
            store->cellText(r, c, shown);
            if (shown != text)
                store->oddCells_[r * store->columnCount() + c] = text;
        }
    }
    return store;
}
