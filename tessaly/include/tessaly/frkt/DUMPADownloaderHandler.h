#pragma once

namespace tessaly::frkt {

class DUMPADownloaderHandler {
public:
    virtual ~DUMPADownloaderHandler() = default;
    // Called on the downloader's thread when a download ends, successfully or
    // not. The downloader's lock is held and re-entrant: startDownload may be
    // called from here.
    virtual void downloadFinished() = 0;
};

} // namespace tessaly::frkt
