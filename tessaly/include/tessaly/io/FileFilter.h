#pragma once

#include "tessaly/core/String.h"

namespace tessaly::io {

class File;

// Lets a listing keep or drop entries. A listing first matches the name
// against its wildcard pattern, then asks the filter, if there is one:
// an entry is listed only when both accept it.
class FileFilter {
public:
    virtual ~FileFilter() = default;
    // directory is the folder being listed, name the entry's own name.
    virtual bool accept(const File& directory, const core::String& name) = 0;
};

} // namespace tessaly::io
