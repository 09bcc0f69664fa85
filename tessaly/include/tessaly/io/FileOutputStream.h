#pragma once

#include "tessaly/core/NonCopyable.h"
#include "tessaly/io/File.h"
#include "tessaly/io/OutputStream.h"

namespace tessaly::io {

// Appends to a file, creating it when missing.
class FileOutputStream : public OutputStream, public core::NonCopyable {
public:
    // Throws FileIOException with "Failed to open file." or "Failed to get
    // file pointer."
    explicit FileOutputStream(const File& file);
    ~FileOutputStream() override;

    // Pushes the data to the storage device.
    bool flush() override;
    bool setPosition(core::int64 position) override;
    core::int64 getPosition() override;
    using OutputStream::write;
    int write(const void* buffer, int count) override;
    // Truncates the file to empty and moves to its start.
    bool clear();

    const File& getFile() const { return file_; }

private:
    File file_;
    int handle_;
};

} // namespace tessaly::io
