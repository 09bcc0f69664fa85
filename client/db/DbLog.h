#pragma once
// Log lines of the database layer, written through the client's log
// wrapper (g_logWrapper). Each format takes one %s: the exception text or
// the statement.
#include <functional>
#include <string>

void dbLogError(const char* format, const std::string& text);
void dbLogInfo(const char* format, const std::string& text);

// Sees every line as it is logged (level "ERROR" or "INFO", formatted
// message); tests count errors with it. Empty function: none.
using DbLogObserver = std::function<void(const char* level, const std::string& message)>;
void setDbLogObserver(DbLogObserver observer);
