#pragma once

#include <windows.h>
#include <io.h>

namespace tessaly::io::win32 {

// Files are opened with CreateFile (sharing read, write and delete, as a
// log reader beside a writer needs) and kept as C runtime descriptors, the
// int handles the classes store.
inline int openShared(const char* path, DWORD access, DWORD disposition)
{
    const HANDLE h = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return -1;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), 0);
    if (fd < 0)
        CloseHandle(h);
    return fd;
}

inline HANDLE osHandle(int fd)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

inline long long seekTo(int fd, long long offset, DWORD method)
{
    LARGE_INTEGER to, at;
    to.QuadPart = offset;
    if (!SetFilePointerEx(osHandle(fd), to, &at, method))
        return -1;
    return at.QuadPart;
}

// Writes everything or as much as the system takes; -1 when nothing went.
inline int writeAll(int fd, const char* p, int count)
{
    int done = 0;
    while (done < count) {
        DWORD wrote = 0;
        if (!WriteFile(osHandle(fd), p + done, static_cast<DWORD>(count - done), &wrote, nullptr) || wrote == 0)
            break;
        done += static_cast<int>(wrote);
    }
    return done;
}

} // namespace tessaly::io::win32
