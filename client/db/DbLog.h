#pragma once
// Log lines of the database layer, written through the program's log
// wrapper once start-up hands it over (setDbLogWrapper). Each format takes
// one %s: the exception text or the statement.
#include <exception>
#include <functional>
#include <string>

namespace pellorn {
class LogWrapper;
}

// The wrapper the lines go to; none (the default, and after exit clears
// it): nothing is written, observers still see every line.
void setDbLogWrapper(pellorn::LogWrapper* wrapper);

void dbLogError(const char* format, const std::string& text);

// The text of a failure as it may be logged or shown. The database
// library's own texts end with the statement and its bound values (a new
// password among them): only the server's message is kept of those.
std::string dbErrorText(const std::exception& error);
void dbLogInfo(const char* format, const std::string& text);

// Sees every line as it is logged (level "ERROR" or "INFO", formatted
// message); tests count errors with it. Empty function: none.
using DbLogObserver = std::function<void(const char* level, const std::string& message)>;
void setDbLogObserver(DbLogObserver observer);
