#include "tessaly/core/InitializeFailException.h"

namespace tessaly::core {

tessaly::core::String InitializeFailException::printException() const
{
    return report("InitializeFailException");
}

} // namespace tessaly::core
