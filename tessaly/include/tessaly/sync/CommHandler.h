#pragma once

namespace tessaly::sync {

class CommSynchronizer;

// The application's transport for a CommSynchronizer (serial line, socket...).
class CommHandler {
public:
    explicit CommHandler(CommSynchronizer* synchronizer) : synchronizer_(synchronizer) {}
    virtual ~CommHandler() = default;

    // Transmits one command. Called on the synchroniser's send thread with
    // its (re-entrant) lock held.
    virtual void sendData(unsigned char* data, int length) = 0;

    // Marks the line busy and restarts the reply time-out.
    void setBusy();

protected:
    CommSynchronizer* getSynchronizer() const { return synchronizer_; }

private:
    CommSynchronizer* synchronizer_;
};

} // namespace tessaly::sync
