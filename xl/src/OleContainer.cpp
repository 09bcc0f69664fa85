#include "OleContainer.h"

#include <vector>

namespace xl::detail {
namespace {

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kFreeSect = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSect = 0xFFFFFFFD;
constexpr uint32_t kDifSect = 0xFFFFFFFC;
constexpr uint32_t kNoStream = 0xFFFFFFFF;
constexpr uint32_t kMinStreamSize = 4096; // the small-stream cut-off
constexpr uint32_t kEntriesPerFatSector = kSectorSize / 4;
constexpr uint32_t kHeaderDifatEntries = 109;
constexpr uint32_t kFatNumbersPerDifatSector = kEntriesPerFatSector - 1;

void put16(std::string& s, uint16_t v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>(v >> 8);
}

void put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// One 128-byte directory entry.
std::string directoryEntry(const char* name, uint8_t type, uint32_t child, uint32_t start, uint32_t size)
{
    std::string e;
    std::size_t units = 0;
    if (name) {
        for (const char* p = name; *p; ++p, ++units)
            put16(e, static_cast<uint8_t>(*p));
        put16(e, 0);
        ++units;
    }
    e.resize(64, '\0');
    put16(e, static_cast<uint16_t>(units * 2));
    e += static_cast<char>(type);
    e += static_cast<char>(type ? 1 : 0); // black in the red-black tree
    put32(e, kNoStream);                  // left sibling
    put32(e, kNoStream);                  // right sibling
    put32(e, child);
    e.append(16 + 4 + 8 + 8, '\0'); // class id, state bits, times
    put32(e, start);
    put32(e, size);
    put32(e, 0); // high half of the size: 0 in version 3
    return e;
}

} // namespace

void OleContainerWriter::StreamSink::write(const uint8_t* data, size_t size)
{
    count_ += size;
    if (ok_ && size > 0 && std::fwrite(data, 1, size, file_) != size)
        ok_ = false;
}

bool OleContainerWriter::begin()
{
    const std::string placeholder(kSectorSize, '\0');
    return std::fseek(file_, 0, SEEK_SET) == 0 && std::fwrite(placeholder.data(), 1, kSectorSize, file_) == kSectorSize;
}

bool OleContainerWriter::writeAt(uint64_t offset, const std::string& bytes)
{
    return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0
           && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
}

bool OleContainerWriter::finish()
{
    if (!sink_.ok())
        return false;
    if (sink_.position() < kMinStreamSize) {
        const std::vector<uint8_t> pad(kMinStreamSize - sink_.position(), 0);
        sink_.write(pad.data(), pad.size());
    }
    const uint64_t streamSize = sink_.position();
    if (!sink_.ok() || streamSize > 0xFFFFFFFFull - kSectorSize)
        return false;

    // Sectors: the stream from 0, then one directory sector, then the FAT
    // and, for large files, DIFAT sectors listing FAT sectors beyond 109.
    const uint32_t streamSectors = static_cast<uint32_t>((streamSize + kSectorSize - 1) / kSectorSize);
    const uint32_t dirSector = streamSectors;
    uint32_t fatSectors = 1;
    uint32_t difatSectors = 0;
    for (;;) {
        const uint32_t total = streamSectors + 1 + fatSectors + difatSectors;
        const uint32_t needFat = (total + kEntriesPerFatSector - 1) / kEntriesPerFatSector;
        const uint32_t needDifat = needFat > kHeaderDifatEntries
                                       ? (needFat - kHeaderDifatEntries + kFatNumbersPerDifatSector - 1)
                                             / kFatNumbersPerDifatSector
                                       : 0;
        if (needFat == fatSectors && needDifat == difatSectors)
            break;
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const uint32_t firstFat = dirSector + 1;
    const uint32_t firstDifat = firstFat + fatSectors;

    std::string tail;
    // The stream's last sector is padded with zeros.
    const uint64_t used = streamSize % kSectorSize;
    if (used)
        tail.append(kSectorSize - used, '\0');

    std::string dir = directoryEntry("Root Entry", 5, 1, kEndOfChain, 0);
    dir += directoryEntry("Workbook", 2, kNoStream, 0, static_cast<uint32_t>(streamSize));
    dir += directoryEntry(nullptr, 0, kNoStream, 0, 0);
    dir += directoryEntry(nullptr, 0, kNoStream, 0, 0);
    tail += dir;

    std::string fat;
    for (uint32_t i = 0; i < streamSectors; ++i)
        put32(fat, i + 1 == streamSectors ? kEndOfChain : i + 1);
    put32(fat, kEndOfChain); // directory: one sector
    for (uint32_t i = 0; i < fatSectors; ++i)
        put32(fat, kFatSect);
    for (uint32_t i = 0; i < difatSectors; ++i)
        put32(fat, kDifSect);
    while (fat.size() < std::size_t(fatSectors) * kSectorSize)
        put32(fat, kFreeSect);
    tail += fat;

    for (uint32_t d = 0; d < difatSectors; ++d) {
        std::string sector;
        for (uint32_t k = 0; k < kFatNumbersPerDifatSector; ++k) {
            const uint32_t n = kHeaderDifatEntries + d * kFatNumbersPerDifatSector + k;
            put32(sector, n < fatSectors ? firstFat + n : kFreeSect);
        }
        put32(sector, d + 1 < difatSectors ? firstDifat + d + 1 : kEndOfChain);
        tail += sector;
    }
    if (!writeAt(kSectorSize + streamSize, tail))
        return false;

    std::string header("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    header.append(16, '\0');          // class id
    put16(header, 0x003E);            // minor version
    put16(header, 0x0003);            // major version 3
    put16(header, 0xFFFE);            // little-endian
    put16(header, 9);                 // 512-byte sectors
    put16(header, 6);                 // 64-byte small sectors
    header.append(6, '\0');           // reserved
    put32(header, 0);                 // directory sectors: 0 in version 3
    put32(header, fatSectors);
    put32(header, dirSector);
    put32(header, 0);                 // transaction signature
    put32(header, kMinStreamSize);
    put32(header, kEndOfChain);       // no small-sector table
    put32(header, 0);
    put32(header, difatSectors ? firstDifat : kEndOfChain);
    put32(header, difatSectors);
    for (uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        put32(header, i < fatSectors ? firstFat + i : kFreeSect);
    return writeAt(0, header) && std::fflush(file_) == 0;
}

} // namespace xl::detail
