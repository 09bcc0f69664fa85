#include "tessaly/concurrent/CancellationException.h"

namespace tessaly::concurrent {

tessaly::core::String CancellationException::printException() const
{
    return report("CancellationException");
}

} // namespace tessaly::concurrent
