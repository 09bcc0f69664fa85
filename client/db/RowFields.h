#pragma once
// Reading columns of a generic row by name, with the NULL defaults of the
// record tables. A missing column or a column of another type throws (a
// std::exception), which ends a load.
#include <string>

#include <soci/soci.h>

namespace rowfields {

inline std::string text(const soci::row& row, const char* column)
{
    return row.get<std::string>(column, std::string());
}

// Integer columns; NULL gives fallback.
inline int integer(const soci::row& row, const char* column, int fallback)
{
    return row.get<int>(column, fallback);
}

// Integer columns without a default: NULL is an error of the row.
inline int integer(const soci::row& row, const char* column)
{
    return row.get<int>(column);
}

}  // namespace rowfields
