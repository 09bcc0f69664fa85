#include "tessaly/frkt/LOOPDownloader.h"

namespace tessaly::frkt {

const unsigned char LOOPDownloader::_loopCommand[8] = {'"', 'L', 'O', 'O', 'P', '"', '\r', '\n'};

LOOPDownloader::LOOPDownloader(tessaly::sync::CommSynchronizer* synchronizer, int interval)
    : Downloader(synchronizer, _cycle), interval_(interval)
{
    startExecTask();
}

LOOPDownloader::~LOOPDownloader()
{
    stopExecTask();
}

void LOOPDownloader::threadFunction()
{
    elapsed_ += _cycle;
    if (elapsed_ < interval_ || !synchronizer_)
        return;
    unsigned char command[sizeof _loopCommand];
    for (unsigned i = 0; i < sizeof command; ++i)
        command[i] = _loopCommand[i];
    if (synchronizer_->addRequest(command, static_cast<int>(sizeof command)))
        elapsed_ = 0;
}

} // namespace tessaly::frkt
