#pragma once

#include <atomic>
#include <map>

#include "tessaly/core/Mutex.h"
#include "tessaly/core/Runnable.h"

namespace tessaly::core {
class Thread;
}

namespace tessaly::network {

class TcpSocket;

// The process-wide thread that watches connected TcpSockets for input and
// calls their handlers. Callbacks run with the map lock held (re-entrant),
// so a handler may close or delete its socket, or others, from inside one.
// There is no limit on the number of sockets.
class TcpSocketNotifier : public core::Runnable {
public:
    TcpSocketNotifier();
    ~TcpSocketNotifier() override;

    // The notifier of the loaded socket library, null when not loaded.
    static TcpSocketNotifier* instance();

    void registerSocket(TcpSocket* socket);
    void unregisterSocket(TcpSocket* socket);
    bool isRegistered(const TcpSocket* socket);
    int registeredCount();

    void run() override;
    // Not given away: the library owns the notifier.
    void release() override {}
    void stop();

private:
    struct Entry {
        TcpSocket* socket;
        unsigned long serial; // tells a re-used handle from the one polled
    };
    void wake();

    std::map<int, Entry> sockets_;
    core::Mutex lock_;
    std::atomic<bool> stop_{false};
    unsigned long nextSerial_ = 1;
    int wakeFd_;

    friend void loadSocketLibrary();
    friend void unloadSocketLibrary();
    core::Thread* thread_ = nullptr;
};

} // namespace tessaly::network
