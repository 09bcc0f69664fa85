#include "tessaly/sync/CommSynchronizer.h"

#include <cstring>

#include "tessaly/core/ScopedLock.h"
#include "tessaly/sync/CommHandler.h"

namespace tessaly::sync {

using tessaly::core::Mutex;
using tessaly::core::ScopedLock;

class SendTask : public tessaly::core::Runnable {
public:
    explicit SendTask(CommSynchronizer* owner) : owner_(owner) {}
    void run() override
    {
        while (!owner_->stop_.load()) {
            owner_->sendRequest();
            tessaly::core::Thread::sleep(static_cast<unsigned long>(owner_->period_ > 0 ? owner_->period_ : 1));
        }
    }

private:
    CommSynchronizer* owner_;
};

void CommHandler::setBusy()
{
    if (synchronizer_)
        synchronizer_->setBusy();
}

CommSynchronizer::CommSynchronizer(int timeout, int period)
    : buffer_(new unsigned char[_defaultSize]()), timeout_(timeout), period_(period)
{
    sendTask_ = new SendTask(this);
    thread_ = new tessaly::core::Thread(sendTask_, true);
}

CommSynchronizer::~CommSynchronizer()
{
    stop_.store(1);
    delete thread_;  // joins and releases the send task
    delete[] buffer_;
}

void CommSynchronizer::setCommHandler(CommHandler* handler)
{
    // Under the lock: once this returns, the send thread no longer uses the
    // previous transport, so the application may destroy it.
    ScopedLock<Mutex> guard(lock_);
    handler_.store(handler);
}

bool CommSynchronizer::addRequest(unsigned char* data, int length)
{
    if (requestLength_.load() > 0)
        return false;
    if (!data || length <= 0)
        return false;
    ScopedLock<Mutex> guard(lock_);
    if (requestLength_.load() > 0)
        return false;
    if (length > capacity_) {
        delete[] buffer_;
        buffer_ = new unsigned char[length]();
        capacity_ = length;
    }
    std::memcpy(buffer_, data, static_cast<std::size_t>(length));
    requestLength_.store(length);
    return true;
}

void CommSynchronizer::sendRequest()
{
    ScopedLock<Mutex> guard(lock_);
    if (idle_.load()) {
        const int length = requestLength_.load();
        CommHandler* handler = handler_.load();
        // Without a transport the command stays pending until one is set.
        if (length > 0 && handler) {
            // The line is busy before the bytes leave, so a transport that
            // completes inside sendData (setIdle there) is not overridden,
            // and a reader that sees the request gone also sees the line busy.
            idle_.store(0);
            busyCycles_ = 0;
            handler->sendData(buffer_, length);
            // Still pending during sendData: a re-entrant addRequest cannot
            // replace the buffer the transport is reading.
            requestLength_.store(0);
        }
    } else {
        procRunCnt();
    }
}

void CommSynchronizer::procRunCnt()
{
    ++busyCycles_;
    if (static_cast<long long>(period_) * busyCycles_ > timeout_)
        idle_.store(1);
}

void CommSynchronizer::setBusy()
{
    ScopedLock<Mutex> guard(lock_);
    idle_.store(0);
    busyCycles_ = 0;
}

void CommSynchronizer::setIdle()
{
    ScopedLock<Mutex> guard(lock_);
    idle_.store(1);
    busyCycles_ = 0;
}

bool CommSynchronizer::isBusy() const
{
    return requestLength_.load() == 0 && idle_.load() == 0;
}

int CommSynchronizer::getBufferCapacity()
{
    ScopedLock<Mutex> guard(lock_);
    return capacity_;
}

int CommSynchronizer::getBusyCycles()
{
    ScopedLock<Mutex> guard(lock_);
    return busyCycles_;
}

} // namespace tessaly::sync
