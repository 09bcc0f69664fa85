#pragma once

#include "tessaly/core/Types.h"

namespace tessaly::database {

// Kinds of values that cross the back-end boundary.
enum DBDataType {
    DBTypeNull = 0,
    DBTypeInteger = 1, // 64-bit signed
    DBTypeReal = 2,    // double
    DBTypeText = 3,    // bytes in the database's text encoding, zero-terminated
    DBTypeBlob = 4     // raw bytes
};

// Direction of a stored-procedure parameter.
enum DBParameterDirection { DBParamIn = 0, DBParamOut = 1, DBParamInOut = 2, DBParamReturn = 3 };

} // namespace tessaly::database
