#pragma once

#include "tessaly/io/InputStream.h"

namespace tessaly::network {

class TcpSocket;

// Reads a TcpSocket. It has no total and cannot be positioned; wrap it in a
// BufferedInputStream to read lines.
class SocketInputStream : public io::InputStream {
public:
    explicit SocketInputStream(TcpSocket* socket) : socket_(socket) {}

    core::int64 getTotalCount() override { return -1; }
    // Connected with bytes waiting.
    bool available() override;
    // The bytes read so far.
    core::int64 getPosition() override { return count_; }
    bool setPosition(core::int64) override { return false; }
    using InputStream::read;
    int read(void* buffer, int count) override;

private:
    TcpSocket* socket_;
    core::int64 count_ = 0;
};

} // namespace tessaly::network
