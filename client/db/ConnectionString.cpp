#include "db/ConnectionString.h"

std::string connectionStringValue(const std::string& value)
{
    // The library splits key=value pairs at blanks; a quoted value runs to
    // its closing quote, and a backslash takes the next character as it is.
    const bool plain = !value.empty() && value.find_first_of(" \t\r\n\v\f'\"\\") == std::string::npos;
    if (plain)
        return value;
    std::string quoted = "'";
    for (char c : value) {
        if (c == '\'' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '\'';
    return quoted;
}
