#pragma once

#include <deque>

#include "tessaly/core/Date.h"
#include "tessaly/core/String.h"
#include "tessaly/frkt/DataTime.h"
#include "tessaly/frkt/DeviceKey.h"
#include "tessaly/frkt/DUMPADownloaderHandler.h"
#include "tessaly/frkt/Downloader.h"

namespace tessaly::frkt {

// Fetches stored records since a given time with DUMPA commands of at most
// 99 records each.
class DUMPADownloader : public Downloader {
public:
    static const int _maxExceptCnt;
    static constexpr int _cycle = 20;

    enum State {
        StateKeyWait = 1,
        StateSend = 2,
        StateReplyWait = 3,
        StateIdle = 4,
    };

    struct DownloadItem {
        tessaly::core::Date time;
        int count;
    };

    // recordInterval in minutes.
    DUMPADownloader(tessaly::sync::CommSynchronizer* synchronizer, DUMPADownloaderHandler* handler,
                    int recordInterval, DeviceKey* key);
    ~DUMPADownloader() override;

    // False when a download runs, the record interval is not positive, or
    // no whole record interval lies between from and now. Throws
    // IllegalArgumentException for impossible fields of from.
    bool startDownload(DataTime from, int number, const char* text);
    void suspendSingleDownload();
    void threadFunction() override;

    int getState();
    std::deque<DownloadItem> getQueue();
    int getNumber();
    tessaly::core::String getText();

    // The 27 bytes of one DUMPA command (without terminator) into out.
    static int formatCommand(const tessaly::core::Date& time, int count, unsigned char out[32]);

private:
    void finish();

    DUMPADownloaderHandler* handler_;
    int recordInterval_;
    DeviceKey* key_;
    int state_ = StateIdle;
    std::deque<DownloadItem> queue_;
    int number_ = 0;
    tessaly::core::String text_;
};

} // namespace tessaly::frkt
