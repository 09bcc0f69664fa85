// A log file opened for appending, the platform's part of the own file
// back end (LogFile_posix.cpp, LogFile_win32.cpp). Writes go straight to
// the system, one call per record, with no buffer of ours: a record is on
// disk (in the system's cache) as soon as write returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pellorn::filelog {

class LogFile {
public:
    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Opens `path` (UTF-8), creating it; emptied first unless `append`.
    // `ownerOnly`: on POSIX the file is made 0600 (a file that exists is
    // narrowed too). On Windows a new file takes the access rights of its
    // folder. False with `error` set when it cannot be opened.
    bool open(const std::string& path, bool append, bool ownerOnly, std::string& error);
    // Appends all of `size` bytes; false with `error` set on failure.
    bool write(const char* data, std::size_t size, std::string& error);
    void close();

    bool isOpen() const { return handle_ != invalid; }
    // Bytes in the file: its size when opened plus what was written since.
    std::uint64_t size() const { return size_; }

private:
    static constexpr std::intptr_t invalid = -1;
    std::intptr_t handle_ = invalid; // descriptor (POSIX) or HANDLE (Windows)
    std::uint64_t size_ = 0;
};

} // namespace pellorn::filelog
