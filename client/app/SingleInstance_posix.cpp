#include "app/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() { release(); }

std::string SingleInstance::lockPath(const std::string& name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    std::string base = (dir && *dir) ? dir : "/tmp";
    return base + "/" + name;
}

SingleInstance::Result SingleInstance::acquire() {
    if (held_) return Result::Acquired;
    if (fd_ < 0) {
        fd_ = ::open(lockPath(name_).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) return Result::Unavailable;
    }
    int rc;
    do {
        rc = ::flock(fd_, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) {
        held_ = true;
        return Result::Acquired;
    }
    if (errno == EWOULDBLOCK) return Result::AlreadyRunning;
    return Result::Unavailable;
}

void SingleInstance::release() {
    if (fd_ < 0) return;
    if (held_) ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
    held_ = false;
}
