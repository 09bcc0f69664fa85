#include "SimulatedLogger.h"

#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <stdexcept>

namespace {

// Reads whatever is available within 20 ms; false on error/hang-up.
bool readSome(int fd, std::string& buffer)
{
    pollfd p{fd, POLLIN, 0};
    const int rc = poll(&p, 1, 20);
    if (rc <= 0)
        return rc == 0;
    if (!(p.revents & POLLIN))
        return false;
    char chunk[256];
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0)
        return false;
    buffer.append(chunk, static_cast<size_t>(n));
    return true;
}

void writeAll(int fd, const std::string& s)
{
    size_t off = 0;
    while (off < s.size()) {
        const ssize_t n = write(fd, s.data() + off, s.size() - off);
        if (n <= 0)
            return;
        off += static_cast<size_t>(n);
    }
}

} // namespace

PtyPair::PtyPair()
{
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    // A raw line both ways: no echo, no CR/LF translation, like a serial port.
    termios t;
    tcgetattr(slave, &t);
    cfmakeraw(&t);
    tcsetattr(slave, TCSANOW, &t);
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
}

PtyPair::~PtyPair()
{
    close(slave);
    close(master);
}

void SimulatedLogger::start()
{
    thread_ = std::thread([this] { loop(); });
}

void SimulatedLogger::stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::vector<std::string> SimulatedLogger::commands()
{
    std::lock_guard<std::mutex> g(m_);
    return commands_;
}

void SimulatedLogger::loop()
{
    std::string buffer;
    int seen = 0;
    while (!stop_) {
        if (!readSome(fd_, buffer))
            break;
        size_t end;
        while ((end = buffer.find("\r\n")) != std::string::npos) {
            const std::string command = buffer.substr(0, end + 2);
            buffer.erase(0, end + 2);
            {
                std::lock_guard<std::mutex> g(m_);
                commands_.push_back(command);
            }
            ++seen;
            const int silent = silentEvery.load();
            if (silent > 0 && seen % silent == 0)
                continue;  // the logger swallows this one
            if (command == "\"LOOP\"\r\n") {
                writeAll(fd_, "LOOPDATA\r\n");
            } else if (command.rfind("\"DUMPA ", 0) == 0) {
                writeAll(fd_, "RECORDS " + command.substr(22, 2) + "\r\n");
            } else {
                writeAll(fd_, "ERR\r\n");
            }
        }
    }
}

PtyTransport::PtyTransport(tessaly::sync::CommSynchronizer* sync, int fd) : CommHandler(sync), sync_(sync), fd_(fd)
{
    reader_ = std::thread([this] { readLoop(); });
}

PtyTransport::~PtyTransport()
{
    stop_ = true;
    reader_.join();
}

void PtyTransport::sendData(unsigned char* data, int length)
{
    {
        std::lock_guard<std::mutex> g(m_);
        sent_.emplace_back(reinterpret_cast<const char*>(data), static_cast<size_t>(length));
    }
    writeAll(fd_, std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length)));
}

std::vector<std::string> PtyTransport::replies()
{
    std::lock_guard<std::mutex> g(m_);
    return replies_;
}

std::vector<std::string> PtyTransport::sent()
{
    std::lock_guard<std::mutex> g(m_);
    return sent_;
}

void PtyTransport::readLoop()
{
    std::string buffer;
    while (!stop_) {
        if (!readSome(fd_, buffer))
            break;
        size_t end;
        while ((end = buffer.find("\r\n")) != std::string::npos) {
            {
                std::lock_guard<std::mutex> g(m_);
                replies_.push_back(buffer.substr(0, end));
            }
            buffer.erase(0, end + 2);
            sync_->setIdle();  // reply complete: the line is free
        }
    }
}
