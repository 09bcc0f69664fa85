#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::utils {

// Local wall-clock time in milliseconds since 1900-01-01, the scale of Date,
// but with millisecond rather than whole-second resolution.
tessaly::core::int64 localMillisSince1900();

} // namespace tessaly::utils
