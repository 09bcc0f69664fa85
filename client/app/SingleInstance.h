#pragma once
// One running copy per user session: an exclusive lock on a file named after
// the program (the lock file lives in $XDG_RUNTIME_DIR, or /tmp without it).
// The lock goes with the process, so a crashed copy never blocks the next.
#include <string>

class SingleInstance {
public:
    enum class Result {
        Acquired,        // we are the only copy
        AlreadyRunning,  // another copy holds the lock
        Unavailable,     // no lock file could be opened; run unguarded
    };

    explicit SingleInstance(std::string name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Result acquire();
    // Gives the lock up (idempotent).
    void release();
    bool held() const { return held_; }

    // Where the lock file of `name` is.
    static std::string lockPath(const std::string& name);

private:
    std::string name_;
    int fd_ = -1;
    bool held_ = false;
};
