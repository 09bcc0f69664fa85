#pragma once

#include "tessaly/core/Types.h"
#include "tessaly/frkt/Downloader.h"

namespace tessaly::frkt {

// Queues the LOOP command once per interval (ms). The elapsed time restarts
// when a LOOP has been queued; while the line refuses it, it is retried
// every cycle. The count is 64-bit, so it never wraps.
class LOOPDownloader : public Downloader {
public:
    static constexpr int _cycle = 20;

    LOOPDownloader(tessaly::sync::CommSynchronizer* synchronizer, int interval);
    ~LOOPDownloader() override;

    void threadFunction() override;

    static const unsigned char _loopCommand[8];

private:
    int interval_;
    tessaly::core::int64 elapsed_ = 0;
};

} // namespace tessaly::frkt
