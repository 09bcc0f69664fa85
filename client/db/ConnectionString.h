#pragma once
// One value of the database connection string, written so that the
// database library reads it back unchanged.
#include <string>

// As it stands when it holds no blank, quote or backslash (the default
// settings read as before); otherwise, and when empty, in single quotes
// with each quote and backslash escaped by a backslash:
// a b'c\d -> 'a b\'c\\d'.
std::string connectionStringValue(const std::string& value);
