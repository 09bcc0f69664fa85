#include "tessaly/network/SocketInputStream.h"
#include "tessaly/network/SocketOutputStream.h"
#include "tessaly/network/TcpSocket.h"

namespace tessaly::network {

bool SocketInputStream::available()
{
    return socket_->isConnected() && socket_->availableReadBytes() > 0;
}

int SocketInputStream::read(void* buffer, int count)
{
    const int r = socket_->read(buffer, count);
    if (r > 0)
        count_ += r;
    return r;
}

int SocketOutputStream::write(const void* buffer, int count)
{
    const int r = socket_->write(buffer, count, _writeTimeout);
    if (r > 0)
        count_ += r;
    return r;
}

} // namespace tessaly::network
