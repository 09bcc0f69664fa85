// Small text helpers of the own file back end.
#pragma once

#include <string>
#include <vector>

namespace pellorn::filelog {

std::string trim(const std::string& text);
std::string toUpper(std::string text);
bool equalsIgnoreCase(const std::string& a, const std::string& b);
// Pieces between commas, each trimmed (empty pieces kept).
std::vector<std::string> splitCommas(const std::string& text);

// Writes "pellorn: <problem>" to stderr, once per distinct problem in the
// life of the process: a configuration read again does not repeat it, and
// a failing disk does not flood the console.
void reportOnce(const std::string& problem);

} // namespace pellorn::filelog
