#pragma once

#include "tessaly/core/NonCopyable.h"
#include "tessaly/core/String.h"
#include "tessaly/io/File.h"

namespace tessaly::io {

// A file read and written at a movable file pointer.
class RandomAccessFile : public core::NonCopyable {
public:
    // Read-only opens an existing file; otherwise the file is opened for
    // reading and writing and created when missing. Throws
    // IllegalArgumentException with "The filename can't be empty." and
    // FileIOException with "Failed to open file."
    RandomAccessFile(const core::String& path, bool readOnly);
    RandomAccessFile(File& file, bool readOnly);
    ~RandomAccessFile() override;

    // -1 when closed or on failure.
    long getFilePointer() const;
    long length() const;
    bool seek(long position);
    // Moves the pointer to length and ends the file there.
    bool setLength(long length);
    // Bytes read or written; -1 on failure.
    int read(void* buffer, int count);
    int write(const void* buffer, int count);
    bool flush();
    void close();
    bool isReadOnly() const { return readOnly_; }

private:
    void open(const core::String& path);

    bool readOnly_;
    int handle_ = -1;
};

} // namespace tessaly::io
