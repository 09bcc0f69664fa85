#include "tessaly/core/ConvertFailException.h"

namespace tessaly::core {

tessaly::core::String ConvertFailException::printException() const
{
    return report("ConvertFailException");
}

} // namespace tessaly::core
