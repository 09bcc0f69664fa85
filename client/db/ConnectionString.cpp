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

std::string buildConnectionString(const std::string& dbIp, std::uint16_t dbPort,
                                  const std::string& dbName, const std::string& dbUser,
                                  const std::string& dbPassword)
{
    return "host=" + connectionStringValue(dbIp) + " port=" + std::to_string(dbPort) +
           " db=" + connectionStringValue(dbName) + " user=" + connectionStringValue(dbUser) +
           " password=" + connectionStringValue(dbPassword) + " charset=GBK";
}
