// One running copy per session through the named mutex "Quorvel_Client";
// the system drops the mutex with the process, so a crashed copy never
// blocks the next.
#include "app/SingleInstance.h"

#include <windows.h>

#include <cstdint>

namespace {

// The mutex handle lives in the descriptor field: Windows handles carry 32
// significant bits and may be truncated and sign-extended back.
HANDLE handleOf(int stored)
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(stored));
}

}  // namespace

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)) {}

SingleInstance::~SingleInstance() { release(); }

std::string SingleInstance::lockPath(const std::string& name) { return name; }

SingleInstance::Result SingleInstance::acquire() {
    if (held_) return Result::Acquired;
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, lockPath(name_).c_str());
    if (!mutex) return Result::Unavailable;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Result::AlreadyRunning;
    }
    fd_ = static_cast<int>(reinterpret_cast<std::intptr_t>(mutex));
    held_ = true;
    return Result::Acquired;
}

void SingleInstance::release() {
    if (!held_) return;
    ReleaseMutex(handleOf(fd_));
    CloseHandle(handleOf(fd_));
    fd_ = -1;
    held_ = false;
}
