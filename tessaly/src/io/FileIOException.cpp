#include "tessaly/io/FileIOException.h"

namespace tessaly::io {

tessaly::core::String FileIOException::printException() const
{
    return report("FileIOException");
}

} // namespace tessaly::io
