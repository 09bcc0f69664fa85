#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

// Plain blocking Winsock clients for the tests: the peers of the library's
// sockets and server, independent of the code under test.
namespace win32test {

inline void startWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

// A loopback port that was free a moment ago.
inline unsigned short freePort()
{
    startWinsock();
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    int len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::closesocket(s);
    return ntohs(a.sin_port);
}

class Client {
public:
    Client() = default;
    ~Client() { close(); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connect(unsigned short port, int receiveTimeoutMs = 10000)
    {
        startWinsock();
        s_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        DWORD t = static_cast<DWORD>(receiveTimeoutMs);
        ::setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(port);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(s_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    // A small receive window, so that a peer that does not read holds the
    // server's sends back early.
    void shrinkReceiveBuffer()
    {
        int size = 4096;
        ::setsockopt(s_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&size), sizeof size);
    }
    bool sendAll(const std::string& data)
    {
        std::size_t done = 0;
        while (done < data.size()) {
            const int n = ::send(s_, data.data() + done, static_cast<int>(data.size() - done), 0);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }
    // Reads exactly n bytes; fewer when the peer closes or the time-out ends.
    std::string receive(std::size_t n)
    {
        std::string out;
        char buf[65536];
        while (out.size() < n) {
            const int want = static_cast<int>(std::min<std::size_t>(sizeof buf, n - out.size()));
            const int r = ::recv(s_, buf, want, 0);
            if (r <= 0)
                break;
            out.append(buf, static_cast<std::size_t>(r));
        }
        return out;
    }
    // True when the peer has closed: after any bytes still on their way,
    // recv reports the end (or a reset) before the receive time-out.
    bool closedByPeer()
    {
        char buf[65536];
        for (;;) {
            const int r = ::recv(s_, buf, sizeof buf, 0);
            if (r > 0)
                continue;
            return r == 0 || WSAGetLastError() != WSAETIMEDOUT;
        }
    }
    void close()
    {
        if (s_ != INVALID_SOCKET)
            ::closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
};

} // namespace win32test
