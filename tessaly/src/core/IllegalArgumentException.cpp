#include "tessaly/core/IllegalArgumentException.h"

namespace tessaly::core {

tessaly::core::String IllegalArgumentException::printException() const
{
    return report("IllegalArgumentException");
}

} // namespace tessaly::core
