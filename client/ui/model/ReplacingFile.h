#pragma once
// A file written beside its final path and moved over it only when complete,
// so an existing file is replaced by a whole new one or not at all (a
// cancelled or failed export leaves nothing behind).
#include <cstddef>
#include <string>

namespace quorvel::ui {

class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile();  // abandons what was not committed
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Opens a new temporary file beside path; false (error() says why) if not.
    bool open(const std::string& path);
    bool write(const char* data, std::size_t length);
    // Puts the data on disk and the file at its path.
    bool commit();
    // Removes the temporary file.
    void abandon();
    const std::string& error() const { return error_; }

private:
    std::string path_, tmpPath_, error_;
    int fd_ = -1;
};

}  // namespace quorvel::ui
