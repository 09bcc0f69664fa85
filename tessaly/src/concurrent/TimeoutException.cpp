#include "tessaly/concurrent/TimeoutException.h"

namespace tessaly::concurrent {

tessaly::core::String TimeoutException::printException() const
{
    return report("TimeoutException");
}

} // namespace tessaly::concurrent
