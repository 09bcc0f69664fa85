#pragma once

#include <cstdio>

#include "tessaly/core/NonCopyable.h"
#include "tessaly/io/File.h"
#include "tessaly/io/InputStream.h"

namespace tessaly::io {

// Reads a file from its start. The length is taken when it is opened.
class FileInputStream : public InputStream, public core::NonCopyable {
public:
    // Throws FileIOException with "File open failed." when it cannot be opened.
    explicit FileInputStream(const File& file);
    ~FileInputStream() override;

    core::int64 getTotalCount() override { return length_; }
    bool available() override { return position_ < length_; }
    core::int64 getPosition() override { return position_; }
    bool setPosition(core::int64 position) override;
    using InputStream::read;
    int read(void* buffer, int count) override;

    const File& getFile() const { return file_; }

private:
    File file_;
    std::FILE* stream_;
    core::int64 length_;
    core::int64 position_ = 0;
};

} // namespace tessaly::io
