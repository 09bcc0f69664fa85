#pragma once

#include <atomic>

namespace tessaly::network {

// Bytes the application queues on a server connection. The server gives the
// object back when it is done with it: through release() when it needs no
// signal, else through the handler's sendCompleted or sendFailed (the
// handler then owns it again).
class SocketSentObject {
public:
    explicit SocketSentObject(bool needSignal = true) : needSignal_(needSignal) {}
    virtual ~SocketSentObject() = default;

    virtual void release() = 0;
    virtual char* data() { return getData(); }
    virtual int size() { return getSize(); }
    virtual void signal() {}
    virtual char* getData() = 0;
    virtual int getSize() = 0;

    bool needSignal() const { return needSignal_; }
    void setFailed() { failed_.store(true); }
    bool isFailed() const { return failed_.load(); }

private:
    bool needSignal_;
    std::atomic<bool> failed_{false};
};

} // namespace tessaly::network
