#pragma once

#include "tessaly/io/OutputStream.h"

namespace tessaly::network {

class TcpSocket;

// Writes to a TcpSocket, each write waiting at most 5 000 ms.
class SocketOutputStream : public io::OutputStream {
public:
    static constexpr int _writeTimeout = 5000;

    explicit SocketOutputStream(TcpSocket* socket) : socket_(socket) {}

    // Nothing is buffered here.
    bool flush() override { return true; }
    core::int64 getPosition() override { return count_; }
    using OutputStream::write;
    int write(const void* buffer, int count) override;

private:
    TcpSocket* socket_;
    core::int64 count_ = 0;
};

} // namespace tessaly::network
