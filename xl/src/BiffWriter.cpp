#include "BiffWriter.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace xl::detail {
namespace {

// Record types.
constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kCodepage = 0x0042;
constexpr uint16_t kWindow1 = 0x003D;
constexpr uint16_t kDateMode = 0x0022;
constexpr uint16_t kFont = 0x0031;
constexpr uint16_t kXf = 0x00E0;
constexpr uint16_t kStyle = 0x0293;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kContinue = 0x003C;
constexpr uint16_t kExtSst = 0x00FF;
constexpr uint16_t kDimensions = 0x0200;
constexpr uint16_t kRow = 0x0208;
constexpr uint16_t kNumber = 0x0203;
constexpr uint16_t kLabelSst = 0x00FD;
constexpr uint16_t kBlank = 0x0201;
constexpr uint16_t kWindow2 = 0x023E;

constexpr size_t kMaxRecordData = 8224;
constexpr uint16_t kCellXf = 15; // the first cell format after the 15 style formats
constexpr uint32_t kRowBlock = 32;

class Bytes {
public:
    void u8(uint8_t v) { data_.push_back(v); }
    void u16(uint16_t v)
    {
        u8(static_cast<uint8_t>(v));
        u8(static_cast<uint8_t>(v >> 8));
    }
    void u32(uint32_t v)
    {
        u16(static_cast<uint16_t>(v));
        u16(static_cast<uint16_t>(v >> 16));
    }
    void f64(double v)
    {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        u32(static_cast<uint32_t>(bits));
        u32(static_cast<uint32_t>(bits >> 32));
    }
    // Text with an 8-bit length, stored uncompressed (UTF-16LE).
    void shortText(std::u16string_view text)
    {
        u8(static_cast<uint8_t>(text.size()));
        u8(0x01);
        for (char16_t c : text)
            u16(c);
    }
    void clear() { data_.clear(); }
    size_t size() const { return data_.size(); }
    const std::vector<uint8_t>& data() const { return data_; }

private:
    std::vector<uint8_t> data_;
};

class RecordWriter {
public:
    explicit RecordWriter(ByteSink& sink) : sink_(sink) {}

    void record(uint16_t type, const Bytes& body) { record(type, body.data().data(), body.size()); }
    void record(uint16_t type, const uint8_t* data, size_t size)
    {
        uint8_t head[4] = {static_cast<uint8_t>(type), static_cast<uint8_t>(type >> 8),
                           static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8)};
        sink_.write(head, sizeof head);
        if (size)
            sink_.write(data, size);
    }
    uint64_t position() const { return sink_.position(); }

private:
    ByteSink& sink_;
};

void writeBof(RecordWriter& w, uint16_t kind)
{
    Bytes b;
    b.u16(0x0600); // BIFF8
    b.u16(kind);   // 0x0005 workbook globals, 0x0010 worksheet
    b.u16(0x0DBB); // build
    b.u16(0x07CC); // year
    b.u32(0);      // file history
    b.u32(0x06);   // lowest version that can read it
    w.record(kBof, b);
}

void writeEof(RecordWriter& w) { w.record(kEof, nullptr, 0); }

void writeFont(RecordWriter& w, uint16_t weight)
{
    Bytes b;
    b.u16(200); // 10 pt, in twips
    b.u16(0);   // no italic, strike-out, outline
    b.u16(0x7FFF); // automatic colour
    b.u16(weight);
    b.u16(0); // no super/subscript
    b.u8(0);  // no underline
    b.u8(0);  // family
    b.u8(0);  // character set
    b.u8(0);
    b.shortText(u"Arial");
    w.record(kFont, b);
}

void writeXf(RecordWriter& w, uint16_t font, bool style)
{
    Bytes b;
    b.u16(font);
    b.u16(0);                          // "General" number format
    b.u16(style ? 0xFFF5 : 0x0001);    // locked; style formats have no parent
    b.u8(0x20);                        // bottom aligned
    b.u8(0);                           // no rotation
    b.u8(0);                           // no indent
    b.u8(style ? 0x00 : 0xF8);         // which attributes a cell format sets itself
    b.u32(0);                          // no borders
    b.u32(0);                          // border colours
    b.u16(0x20C0);                     // default pattern colours
    w.record(kXf, b);
}

void writeGlobals(RecordWriter& w, const std::vector<const SheetData*>& sheets,
                  const std::vector<uint32_t>& sheetOffsets, const SharedStrings& strings,
                  uint32_t textCells)
{
    writeBof(w, 0x0005);
    {
        Bytes b;
        b.u16(1200); // text is UTF-16
        w.record(kCodepage, b);
    }
    {
        Bytes b;
        b.u16(0x0168); b.u16(0x001E); // position
        b.u16(0x4000); b.u16(0x2000); // size
        b.u16(0x0038);                // scroll bars and sheet tabs shown
        b.u16(0);                     // active sheet
        b.u16(0);                     // first visible tab
        b.u16(1);                     // selected sheets
        b.u16(0x0258);                // tab bar width
        w.record(kWindow1, b);
    }
    {
        Bytes b;
        b.u16(0); // dates count from 1900
        w.record(kDateMode, b);
    }
    // Readers expect fonts 0-3 to exist (index 4 is never used).
    writeFont(w, 400);
    writeFont(w, 700);
    writeFont(w, 400);
    writeFont(w, 400);
    // 15 style formats then the cell format every cell uses.
    for (int i = 0; i < 15; ++i)
        writeXf(w, (i == 1 || i == 2) ? 1 : ((i == 3 || i == 4) ? 2 : 0), true);
    writeXf(w, 0, false);
    {
        Bytes b;
        b.u16(0x8000); // built-in style on style format 0
        b.u8(0);       // "Normal"
        b.u8(0xFF);
        w.record(kStyle, b);
    }
    for (size_t i = 0; i < sheets.size(); ++i) {
        Bytes b;
        b.u32(sheetOffsets[i]);
        b.u16(0); // visible worksheet
        b.shortText(sheets[i]->name);
        w.record(kBoundSheet, b);
    }

    // Shared strings, continued over further records where they overflow one.
    // Every dsst-th string's position goes into the lookup table that follows.
    const uint32_t unique = strings.uniqueCount();
    const uint32_t dsst = std::max<uint32_t>(8, (unique + 127) / 128);
    struct Bucket {
        uint32_t streamPos;
        uint16_t recordOffset;
    };
    std::vector<Bucket> buckets;
    Bytes rec;
    uint16_t recType = kSst;
    rec.u32(textCells);
    rec.u32(unique);
    auto flush = [&] {
        w.record(recType, rec);
        recType = kContinue;
        rec.clear();
    };
    for (uint32_t i = 0; i < unique; ++i) {
        const std::u16string_view text = strings.at(i);
        const bool narrow = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x100; });
        const size_t charSize = narrow ? 1 : 2;
        if (rec.size() + 3 + (text.empty() ? 0 : charSize) > kMaxRecordData)
            flush();
        if (i % dsst == 0)
            buckets.push_back({static_cast<uint32_t>(w.position() + 4 + rec.size()),
                               static_cast<uint16_t>(4 + rec.size())});
        rec.u16(static_cast<uint16_t>(text.size()));
        rec.u8(narrow ? 0x00 : 0x01);
        size_t done = 0;
        while (done < text.size()) {
            size_t room = (kMaxRecordData - rec.size()) / charSize;
            if (room == 0) {
                // A string split over records restates its width flag.
                flush();
                rec.u8(narrow ? 0x00 : 0x01);
                room = (kMaxRecordData - rec.size()) / charSize;
            }
            const size_t n = std::min(room, text.size() - done);
            for (size_t k = 0; k < n; ++k) {
                if (narrow)
                    rec.u8(static_cast<uint8_t>(text[done + k]));
                else
                    rec.u16(text[done + k]);
            }
            done += n;
        }
    }
    flush();
    {
        Bytes b;
        b.u16(static_cast<uint16_t>(dsst));
        for (const Bucket& bucket : buckets) {
            b.u32(bucket.streamPos);
            b.u16(bucket.recordOffset);
            b.u16(0);
        }
        w.record(kExtSst, b);
    }
    writeEof(w);
}

void writeSheet(RecordWriter& w, const SheetData& sheet, bool first)
{
    writeBof(w, 0x0010);

    uint32_t firstRow = 0, lastRow = 0; // lastRow is one past the end
    uint16_t firstCol = 0, lastCol = 0;
    bool any = false;
    for (uint32_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& cells = sheet.rows[r];
        if (cells.empty())
            continue;
        if (!any) {
            firstRow = r;
            firstCol = cells.front().column;
            lastCol = static_cast<uint16_t>(cells.back().column + 1);
            any = true;
        }
        lastRow = r + 1;
        firstCol = std::min(firstCol, cells.front().column);
        lastCol = std::max<uint16_t>(lastCol, static_cast<uint16_t>(cells.back().column + 1));
    }
    {
        Bytes b;
        b.u32(firstRow);
        b.u32(lastRow);
        b.u16(firstCol);
        b.u16(lastCol);
        b.u16(0);
        w.record(kDimensions, b);
    }

    // Rows go in blocks of 32: the row descriptions, then their cells.
    Bytes b;
    for (uint32_t blockStart = firstRow; blockStart < lastRow; blockStart += kRowBlock) {
        const uint32_t blockEnd = std::min(lastRow, blockStart + kRowBlock);
        for (uint32_t r = blockStart; r < blockEnd; ++r) {
            const auto& cells = sheet.rows[r];
            if (cells.empty())
                continue;
            b.clear();
            b.u16(static_cast<uint16_t>(r));
            b.u16(cells.front().column);
            b.u16(static_cast<uint16_t>(cells.back().column + 1));
            b.u16(0x00FF); // default height
            b.u16(0);
            b.u16(0);
            b.u16(0x0100);
            b.u16(kCellXf);
            w.record(kRow, b);
        }
        for (uint32_t r = blockStart; r < blockEnd; ++r) {
            for (const Cell& cell : sheet.rows[r]) {
                b.clear();
                b.u16(static_cast<uint16_t>(r));
                b.u16(cell.column);
                b.u16(kCellXf);
                switch (cell.kind) {
                case Cell::Text:
                    b.u32(cell.text);
                    w.record(kLabelSst, b);
                    break;
                case Cell::Number:
                    b.f64(cell.number);
                    w.record(kNumber, b);
                    break;
                case Cell::Blank:
                    w.record(kBlank, b);
                    break;
                }
            }
        }
    }

    {
        Bytes b2;
        b2.u16(first ? 0x06B6 : 0x00B6); // grid, headers, zeros shown; the first sheet selected
        b2.u16(0);                       // top row
        b2.u16(0);                       // left column
        b2.u32(0x40);                    // grid line colour: automatic
        b2.u16(0);
        b2.u16(0);
        b2.u32(0);
        w.record(kWindow2, b2);
    }
    writeEof(w);
}

} // namespace

bool writeWorkbookStream(ByteSink& sink, const std::vector<const SheetData*>& sheets,
                         const SharedStrings& strings)
{
    uint32_t textCells = 0;
    for (const SheetData* sheet : sheets)
        textCells += static_cast<uint32_t>(sheet->textCellCount());

    // Measure: the globals' size does not depend on the offsets they carry.
    std::vector<uint32_t> offsets(sheets.size(), 0);
    {
        CountingSink counter;
        RecordWriter w(counter);
        writeGlobals(w, sheets, offsets, strings, textCells);
        uint64_t at = counter.position();
        for (size_t i = 0; i < sheets.size(); ++i) {
            offsets[i] = static_cast<uint32_t>(at);
            CountingSink sheetCounter;
            RecordWriter sw(sheetCounter);
            writeSheet(sw, *sheets[i], i == 0);
            at += sheetCounter.position();
        }
        // Sheet positions are 32-bit in the file.
        if (at > UINT32_MAX)
            return false;
    }

    RecordWriter w(sink);
    writeGlobals(w, sheets, offsets, strings, textCells);
    for (size_t i = 0; i < sheets.size(); ++i)
        writeSheet(w, *sheets[i], i == 0);
    return true;
}

} // namespace xl::detail
