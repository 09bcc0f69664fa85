#pragma once

#include <atomic>

#include "tessaly/core/Mutex.h"
#include "tessaly/core/Thread.h"
#include "tessaly/sync/CommSynchronizer.h"

namespace tessaly::frkt {

class DownloaderTask;

// Small periodic engine: a thread calls threadFunction() every cycle ms,
// under the downloader's re-entrant lock.
class Downloader {
public:
    Downloader(tessaly::sync::CommSynchronizer* synchronizer, int cycle);
    virtual ~Downloader();
    Downloader(const Downloader&) = delete;
    Downloader& operator=(const Downloader&) = delete;

    virtual void threadFunction() = 0;

    int getCycle() const { return cycle_; }

protected:
    void startExecTask();
    // Derived classes call this first in their destructor, so the thread
    // never calls into a half-destroyed object.
    void stopExecTask();

    tessaly::sync::CommSynchronizer* synchronizer_;
    tessaly::core::Mutex lock_;

private:
    friend class DownloaderTask;

    tessaly::core::Thread* thread_ = nullptr;
    DownloaderTask* task_ = nullptr;
    std::atomic<bool> stop_{false};
    int cycle_;
};

} // namespace tessaly::frkt
