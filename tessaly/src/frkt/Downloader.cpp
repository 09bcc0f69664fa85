#include "tessaly/frkt/Downloader.h"

#include "tessaly/core/ScopedLock.h"

namespace tessaly::frkt {

class DownloaderTask : public tessaly::core::Runnable {
public:
    explicit DownloaderTask(Downloader* owner) : owner_(owner) {}
    void run() override
    {
        while (!owner_->stop_.load()) {
            {
                tessaly::core::ScopedLock<tessaly::core::Mutex> guard(owner_->lock_);
                owner_->threadFunction();
            }
            tessaly::core::Thread::sleep(static_cast<unsigned long>(owner_->cycle_ > 0 ? owner_->cycle_ : 1));
        }
    }

private:
    Downloader* owner_;
};

Downloader::Downloader(tessaly::sync::CommSynchronizer* synchronizer, int cycle)
    : synchronizer_(synchronizer), cycle_(cycle)
{
}

Downloader::~Downloader()
{
    stopExecTask();
}

void Downloader::startExecTask()
{
    if (thread_)
        return;
    stop_.store(false);
    task_ = new DownloaderTask(this);
    thread_ = new tessaly::core::Thread(task_, true);
}

void Downloader::stopExecTask()
{
    if (!thread_)
        return;
    stop_.store(true);
    delete thread_;  // waits for the loop, then releases the task
    thread_ = nullptr;
    task_ = nullptr;
}

} // namespace tessaly::frkt
