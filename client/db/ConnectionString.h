#pragma once
// The database connection string and each value in it, written so that the
// database library reads them back unchanged.
#include <cstdint>
#include <string>

// "host=<ip> port=<port> db=<name> user=<user> password=<pwd> charset=GBK",
// each value written by connectionStringValue (quoted when it must be).
std::string buildConnectionString(const std::string& dbIp, std::uint16_t dbPort,
                                  const std::string& dbName, const std::string& dbUser,
                                  const std::string& dbPassword);

// As it stands when it holds no blank, quote or backslash (the default
// settings read as before); otherwise, and when empty, in single quotes
// with each quote and backslash escaped by a backslash:
// a b'c\d -> 'a b\'c\\d'.
std::string connectionStringValue(const std::string& value);
