#pragma once

#include <atomic>

#include "tessaly/core/Mutex.h"
#include "tessaly/core/Thread.h"

namespace tessaly::sync {

class CommHandler;
class SendTask;

// Half-duplex line discipline: one command out at a time. The line is busy
// from the moment a command goes to the transport until setIdle() or until
// the time-out (timeout ms, counted in send-thread cycles of period ms).
class CommSynchronizer {
public:
    static constexpr int _defaultSize = 32;

    CommSynchronizer(int timeout, int period);
    virtual ~CommSynchronizer();
    CommSynchronizer(const CommSynchronizer&) = delete;
    CommSynchronizer& operator=(const CommSynchronizer&) = delete;

    // Waits for a send in progress; afterwards the old transport is unused.
    void setCommHandler(CommHandler* handler);
    // Queues one command; false when another is still pending (or the
    // command is empty). The command waits until the line is free.
    bool addRequest(unsigned char* data, int length);
    // One send-thread cycle.
    void sendRequest();
    void setBusy();
    void setIdle();
    // A command is out and its reply not complete (nothing pending).
    bool isBusy() const;
    // A command is waiting to be handed to the transport.
    bool hasPendingRequest() const { return requestLength_.load() > 0; }

    int getBufferCapacity();
    int getBusyCycles();

private:
    void procRunCnt();

    std::atomic<int> idle_{1};
    std::atomic<int> stop_{0};
    std::atomic<CommHandler*> handler_{nullptr};
    tessaly::core::Thread* thread_ = nullptr;
    unsigned char* buffer_;
    int capacity_ = _defaultSize;
    std::atomic<int> requestLength_{0};
    int timeout_;
    SendTask* sendTask_ = nullptr;
    tessaly::core::Mutex lock_;
    int busyCycles_ = 0;
    int period_;

    friend class SendTask;
};

} // namespace tessaly::sync
