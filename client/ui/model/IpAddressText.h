#pragma once
// Text forms of the four-field address control, free of windows.
#include <array>
#include <optional>
#include <string>

namespace quorvel::ui {

using IpFields = std::array<int, 4>;

// Reads "a.b.c.d" the way the address control is filled: leading numbers as
// far as they go, each taken modulo 256 (0..255); missing numbers are 0.
// "10.1" gives 10.1.0.0, "host" gives 0.0.0.0.
IpFields parseIpFields(const std::string& text);

// Four decimal numbers without leading zeros, separated by dots.
std::string formatIpFields(const IpFields& fields);

// True when the text is exactly four numbers 0..255 separated by dots,
// without leading zeros (parseDottedIpv4), so that the fields show it
// without loss.
bool isDottedIpv4(const std::string& text);

// An integer field's text: an optionally signed decimal integer with blanks
// around it allowed; anything else (empty, letters, "12a") is none.
std::optional<long long> parseIntegerText(const std::string& text);

// Ports the dialog accepts (a 16-bit value that can be connected to).
inline bool isValidPort(long long port) { return port >= 1 && port <= 65535; }

}  // namespace quorvel::ui
