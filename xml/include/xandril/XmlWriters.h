// The two sinks the printed tree goes to.
#pragma once

#include <pugixml.hpp>

#include <cstddef>
#include <cstdio>
#include <string>

namespace xandril {

// Writes to a temporary file beside the target; commit() puts it in the
// target's place in one rename, so the old file stays whole until the new
// one is complete. Without a successful commit the temporary file is
// removed and the target is left as it was.
class CFileWriter : public pugi::xml_writer {
public:
    // `permissions` < 0: the new file keeps the mode of the file it
    // replaces (a new one gets the usual 0666 less the umask); otherwise
    // it is created with exactly these permission bits.
    explicit CFileWriter(const char* path, int permissions = -1);
    ~CFileWriter() override;

    CFileWriter(const CFileWriter&) = delete;
    CFileWriter& operator=(const CFileWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    void write(const void* data, std::size_t size) override;
    // Flushes to disk and renames over the target; false on any failure.
    bool commit();

private:
    void abandon();

    std::FILE* m_file = nullptr;
    std::string m_target;
    std::string m_temp;
    bool m_failed = false;
};

// Collects the output in a new[] block that grows in whole KiB: starts at
// 1024 bytes; when a chunk does not fit, the capacity becomes
// (length + chunk + 1024) rounded down to a multiple of 1024.
class CBufferWriter : public pugi::xml_writer {
public:
    // Allocates the first block, stores it in *out at once and puts the
    // declaration (without CR LF) in front.
    explicit CBufferWriter(unsigned char** out);

    void write(const void* data, std::size_t size) override;

    std::size_t length() const { return m_length; }
    std::size_t capacity() const { return m_capacity; }

private:
    unsigned char** m_out;
    std::size_t m_length = 0;
    std::size_t m_capacity = 0;
};

} // namespace xandril
