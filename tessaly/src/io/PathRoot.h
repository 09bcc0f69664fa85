#pragma once

#include "tessaly/core/String.h"

namespace tessaly::io {

// True when a path (with '/' separators) does not depend on the current
// directory: it starts at the root, or on Windows at a drive ("C:/...").
bool isRootedPath(const core::String& path);

} // namespace tessaly::io
