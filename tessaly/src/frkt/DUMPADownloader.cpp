#include "tessaly/frkt/DUMPADownloader.h"

#include <cstdio>

#include "tessaly/core/ScopedLock.h"

namespace tessaly::frkt {

using tessaly::core::Date;
using tessaly::core::int64;
using tessaly::core::Mutex;
using tessaly::core::ScopedLock;

const int DUMPADownloader::_maxExceptCnt = 99;

DUMPADownloader::DUMPADownloader(tessaly::sync::CommSynchronizer* synchronizer, DUMPADownloaderHandler* handler,
                                 int recordInterval, DeviceKey* key)
    : Downloader(synchronizer, _cycle), handler_(handler), recordInterval_(recordInterval), key_(key)
{
    startExecTask();
}

DUMPADownloader::~DUMPADownloader()
{
    stopExecTask();
}

int DUMPADownloader::formatCommand(const Date& time, int count, unsigned char out[32])
{
    char text[64];
    const int n = std::snprintf(text, sizeof text, "\"DUMPA %02d %02d %02d %02d %02d %02d\"\r\n", time.getYear() / 100,
                                time.getMonth(), time.getDayOfMonth(), time.getHour(), time.getMinute(), count);
    for (int i = 0; i < n && i < 32; ++i)
        out[i] = static_cast<unsigned char>(text[i]);
    return n < 32 ? n : 32;
}

bool DUMPADownloader::startDownload(DataTime from, int number, const char* text)
{
    ScopedLock<Mutex> guard(lock_);
    if (state_ != StateIdle)
        return false;
    // A record interval of 0 or less has no batches (and would divide by zero).
    if (recordInterval_ <= 0)
        return false;
    const Date start(from.year, from.month, from.day, from.hour, from.minute, 0, 0);
    const Date now = Date::now();
    const int64 minutes = (now - start) / 60000;
    const int64 n = minutes > 0 ? minutes / recordInterval_ : 0;
    if (n <= 0)
        return false;
    number_ = number;
    text_ = text;
    const int64 intervalMs = int64(recordInterval_) * 60000;
    const int64 batches = (n + _maxExceptCnt - 1) / _maxExceptCnt;
    Date t = start + intervalMs;
    for (int64 i = 0; i < batches; ++i) {
        t = t + _maxExceptCnt * intervalMs;
        const int count = i + 1 < batches ? _maxExceptCnt : static_cast<int>(n - _maxExceptCnt * (batches - 1));
        queue_.push_back({t, count});
    }
    state_ = StateKeyWait;
    return true;
}

void DUMPADownloader::finish()
{
    state_ = StateIdle;
    if (handler_)
        handler_->downloadFinished();
}

void DUMPADownloader::suspendSingleDownload()
{
    ScopedLock<Mutex> guard(lock_);
    if (state_ != StateReplyWait)
        return;
    if (queue_.empty())
        finish();
    else
        state_ = StateSend;
}

void DUMPADownloader::threadFunction()
{
    ScopedLock<Mutex> guard(lock_);
    switch (state_) {
    case StateKeyWait:
        if (!key_ || key_->keyPending.load() == 0)
            state_ = StateSend;
        else if (key_->keyStatus.load() == DeviceKey::_statusRefused) {
            queue_.clear();
            finish();
        }
        break;
    case StateSend: {
        if (queue_.empty()) {
            finish();
            break;
        }
        unsigned char command[32];
        const DownloadItem& item = queue_.front();
        const int length = formatCommand(item.time, item.count, command);
        if (synchronizer_ && synchronizer_->addRequest(command, length)) {
            queue_.pop_front();
            state_ = StateReplyWait;
        }
        break;
    }
    case StateReplyWait:
        // The reply is awaited until the command has gone out and the line
        // is free again (reply complete or timed out).
        if (synchronizer_ && (synchronizer_->hasPendingRequest() || synchronizer_->isBusy()))
            break;
        if (!queue_.empty())
            state_ = StateSend;
        else
            finish();
        break;
    default:
        break;
    }
}

int DUMPADownloader::getState()
{
    ScopedLock<Mutex> guard(lock_);
    return state_;
}

std::deque<DUMPADownloader::DownloadItem> DUMPADownloader::getQueue()
{
    ScopedLock<Mutex> guard(lock_);
    return queue_;
}

int DUMPADownloader::getNumber()
{
    ScopedLock<Mutex> guard(lock_);
    return number_;
}

tessaly::core::String DUMPADownloader::getText()
{
    ScopedLock<Mutex> guard(lock_);
    return text_;
}

} // namespace tessaly::frkt
