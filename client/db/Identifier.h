#pragma once
#include <string>

// A fresh record identifier: a random UUID as 32 lower-case hexadecimal
// digits without dashes; empty if none could be made.
std::string newIdentifierText();
