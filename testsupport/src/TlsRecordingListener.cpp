#include "quorvel_test/TlsRecordingListener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace quorvel_test {

namespace {

constexpr int kReadTimeoutSeconds = 5;

// Capability bits of the MariaDB greeting.
constexpr std::uint32_t kLongPassword = 0x1, kConnectWithDb = 0x8, kProtocol41 = 0x200, kSsl = 0x800,
                        kSecureConnection = 0x8000, kPluginAuth = 0x80000;

std::string greetingPacket(bool offerTls)
{
    std::uint32_t caps = kLongPassword | kConnectWithDb | kProtocol41 | kSecureConnection | kPluginAuth;
    if (offerTls)
        caps |= kSsl;
    std::string p;
    p += '\x0a';
    p += std::string("10.11.0-recording") + '\0';
    p.append("\x01\x00\x00\x00", 4);         // connection id
    p += "abcdefgh";                          // scramble, first part
    p += '\0';
    p += static_cast<char>(caps & 0xff);
    p += static_cast<char>((caps >> 8) & 0xff);
    p += '\x21';                              // utf8 collation
    p.append("\x02\x00", 2);                  // autocommit
    p += static_cast<char>((caps >> 16) & 0xff);
    p += static_cast<char>((caps >> 24) & 0xff);
    p += '\x15';                              // scramble length 21
    p.append(10, '\0');
    p += std::string("ijklmnopqrst") + '\0';  // scramble, second part
    p += std::string("mysql_native_password") + '\0';
    std::string packet;
    packet += static_cast<char>(p.size() & 0xff);
    packet += static_cast<char>((p.size() >> 8) & 0xff);
    packet += static_cast<char>((p.size() >> 16) & 0xff);
    packet += '\0';  // sequence 0
    return packet + p;
}

long recordingCallback(BIO* bio, int operation, const char* data, size_t, int, long, int result,
                       size_t* processed)
{
    if (operation == (BIO_CB_READ | BIO_CB_RETURN) && result > 0 && processed && *processed > 0) {
        auto* self = reinterpret_cast<TlsRecordingListener*>(BIO_get_callback_arg(bio));
        self->record(data, *processed);
    }
    return result;
}

}  // namespace

TlsRecordingListener::TlsRecordingListener(const std::string& certFile, const std::string& keyFile,
                                           Preamble preamble)
    : certFile_(certFile), keyFile_(keyFile), preamble_(preamble)
{
    listenFd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 8) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0 || ::pipe(wakeFds_) != 0)
        throw std::runtime_error("TlsRecordingListener: cannot listen on loopback");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread(&TlsRecordingListener::run, this);
}

TlsRecordingListener::~TlsRecordingListener()
{
    if (wakeFds_[1] >= 0)
        (void)!::write(wakeFds_[1], "x", 1);
    if (thread_.joinable())
        thread_.join();
    for (int fd : {listenFd_, wakeFds_[0], wakeFds_[1]})
        if (fd >= 0)
            ::close(fd);
}

std::string TlsRecordingListener::received() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

void TlsRecordingListener::record(const char* data, std::size_t length)
{
    std::lock_guard<std::mutex> lock(mutex_);
    received_.append(data, length);
}

void TlsRecordingListener::run()
{
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFds_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents)
            return;
        if (fds[0].revents & POLLIN) {
            int fd = ::accept(listenFd_, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++connections_;
            timeval timeout{kReadTimeoutSeconds, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
            serve(fd);
            ::close(fd);
        }
    }
}

void TlsRecordingListener::serve(int fd)
{
    if (preamble_ != Preamble::None) {
        const std::string greeting = greetingPacket(preamble_ == Preamble::MysqlGreeting);
        if (::send(fd, greeting.data(), greeting.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(greeting.size()))
            return;
        // The client's next packet: an SSL request, or (without TLS) its login.
        char header[4];
        if (::recv(fd, header, 4, MSG_WAITALL) != 4)
            return;
        record(header, 4);
        std::size_t length = static_cast<unsigned char>(header[0]) |
                             (static_cast<unsigned char>(header[1]) << 8) |
                             (static_cast<unsigned char>(header[2]) << 16);
        std::vector<char> body(length);
        ssize_t got = length ? ::recv(fd, body.data(), length, MSG_WAITALL) : 0;
        if (got > 0)
            record(body.data(), static_cast<std::size_t>(got));
        if (preamble_ == Preamble::MysqlGreetingWithoutTls) {
            char more[4096];
            while ((got = ::recv(fd, more, sizeof more, 0)) > 0)
                record(more, static_cast<std::size_t>(got));
            return;
        }
    }

    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx)
        return;
    SSL* ssl = nullptr;
    if (SSL_CTX_use_certificate_chain_file(ctx, certFile_.c_str()) == 1 &&
        SSL_CTX_use_PrivateKey_file(ctx, keyFile_.c_str(), SSL_FILETYPE_PEM) == 1 &&
        (ssl = SSL_new(ctx)) != nullptr) {
        BIO* bio = BIO_new_socket(fd, BIO_NOCLOSE);
        BIO_set_callback_arg(bio, reinterpret_cast<char*>(this));
        BIO_set_callback_ex(bio, recordingCallback);
        SSL_set_bio(ssl, bio, bio);
        if (SSL_accept(ssl) == 1) {
            ++handshakes_;
            char buffer[4096];
            int got;
            while ((got = SSL_read(ssl, buffer, sizeof buffer)) > 0)
                record(buffer, static_cast<std::size_t>(got));
        }
        SSL_free(ssl);
    }
    ERR_clear_error();
    SSL_CTX_free(ctx);
}

}  // namespace quorvel_test
