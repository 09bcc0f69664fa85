// An OLE2 compound file (version 3, 512-byte sectors) holding one stream,
// "Workbook", written by our own code where libgsf is not carried (Windows).
#pragma once

#include "ByteSink.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace xl::detail {

// Writes the container into a seekable file: a header placeholder, the
// stream as produce delivers it, then the directory and allocation tables,
// and finally the header. The stream is padded to 4096 bytes so that it
// lives in regular sectors (no small-stream area needed).
class OleContainerWriter {
public:
    explicit OleContainerWriter(std::FILE* file) : file_(file) {}

    // Starts the container; the stream's bytes follow through sink().
    bool begin();
    ByteSink& sink() { return sink_; }
    // Completes the container. False when any write failed.
    bool finish();

private:
    class StreamSink final : public ByteSink {
    public:
        explicit StreamSink(std::FILE*& file) : file_(file) {}
        void write(const uint8_t* data, size_t size) override;
        uint64_t position() const override { return count_; }
        bool ok() const { return ok_; }

    private:
        std::FILE*& file_;
        uint64_t count_ = 0;
        bool ok_ = true;
    };

    bool writeAt(uint64_t offset, const std::string& bytes);

    std::FILE* file_;
    StreamSink sink_{file_};
};

} // namespace xl::detail
