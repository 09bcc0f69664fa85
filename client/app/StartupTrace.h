#pragma once
// Progress marks of start-up for the developer, on standard error:
// "@@@@@@@@@@@@<tag>@@@@@@@@@@@@\r\n".
#include <string>

std::string startupTraceLine(const char* tag);
void startupTrace(const char* tag);
