#pragma once
// Developer traces on standard error, all written through traceText():
//   - start-up progress marks "@@@@@@@@@@@@<tag>@@@@@@@@@@@@\r\n";
//   - the message path (topics and CommStatus payloads), only when the
//     environment variable QUORVEL_DEBUG_TRACE is set when the program
//     starts, so a flood of messages costs nothing in normal runs;
//   - failed database connections and the publish plugins read.
// The texts go out exactly as given and at once (nothing is buffered).
#include <string>
#include <string_view>

// Writes `text` as it is; the one place that knows where traces go
// (DevTrace_posix.cpp).
void traceText(std::string_view text);

std::string startupTraceLine(const char* tag);
void startupTrace(const char* tag);

bool messageTraceEnabled();
// Writes `text` only when message traces are enabled.
void messageTrace(std::string_view text);
