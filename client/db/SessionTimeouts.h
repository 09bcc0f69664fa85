#pragma once
// Time-outs of every database session, so that a server that vanishes
// without closing its connections (a pulled cable, a dropped VPN, a
// firewall that starts dropping packets) costs a bounded wait instead of
// minutes. They go into the connection string as the MySQL back end's
// connect_timeout, read_timeout and write_timeout options.
#include <chrono>
#include <string>

struct SessionTimeouts {
    int connectSeconds = 5;  // connection and greeting
    // Per network read: long enough for the server to produce the first rows
    // of a year-long history query (a streamed result keeps reading after).
    int readSeconds = 60;
    int writeSeconds = 30;
};

// `connectionString` with the three time-out options appended.
std::string withSessionTimeouts(const std::string& connectionString, const SessionTimeouts& timeouts);

// How long borrowing a session from the pool may wait while both sessions
// are lent out before it fails (PooledSession). Default 10 s.
std::chrono::milliseconds poolBorrowWait();
void setPoolBorrowWait(std::chrono::milliseconds wait);
