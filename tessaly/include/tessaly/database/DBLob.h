#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

// A large value read piece by piece. Owned by the DBValue that handed it out.
class DBLob {
public:
    DBLob() = default;

    // Copies up to size bytes starting at offset; returns the count, 0 at the end.
    virtual core::int64 read(core::int64 offset, void* buffer, core::int64 size) = 0;

protected:
    virtual ~DBLob() = default;
};

} // namespace tessaly::database
