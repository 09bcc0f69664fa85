#include "db/SessionTimeouts.h"

#include <atomic>

namespace {
std::atomic<long long> borrowWaitMs{10000};
}  // namespace

std::string withSessionTimeouts(const std::string& connectionString, const SessionTimeouts& timeouts)
{
    return connectionString + " connect_timeout=" + std::to_string(timeouts.connectSeconds) +
           " read_timeout=" + std::to_string(timeouts.readSeconds) +
           " write_timeout=" + std::to_string(timeouts.writeSeconds);
}

std::chrono::milliseconds poolBorrowWait()
{
    return std::chrono::milliseconds(borrowWaitMs.load());
}

void setPoolBorrowWait(std::chrono::milliseconds wait)
{
    borrowWaitMs = wait.count();
}
