// The file sink: a temporary file in the target's folder, flushed to disk
// and moved over the target (MoveFileEx replaces it in one step), so that a
// crash or a full disk mid-write never leaves a half-written or missing
// file behind. Access rights come from the folder, as Windows files do;
// the permission argument has no meaning here. Paths are UTF-8.
#include "xandril/XmlWriters.h"
#include "WidePath_win32.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace xandril {

CFileWriter::CFileWriter(const char* path, int) : m_target(path ? path : "")
{
    if (m_target.empty())
        return;
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        const std::string temp = m_target + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-"
                                 + std::to_string(counter++);
        const HANDLE h = CreateFileW(detail::widePath(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY);
        if (fd < 0) {
            CloseHandle(h);
            DeleteFileW(detail::widePath(temp).c_str());
            return;
        }
        m_file = _fdopen(fd, "wb");
        if (!m_file) {
            _close(fd);
            DeleteFileW(detail::widePath(temp).c_str());
            return;
        }
        m_temp = temp;
    }
}

bool CFileWriter::commit()
{
    if (!m_file)
        return false;
    bool ok = !m_failed && std::fflush(m_file) == 0
              && FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(m_file)))) != 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (ok && MoveFileExW(detail::widePath(m_temp).c_str(), detail::widePath(m_target).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        m_temp.clear();
        return true;
    }
    DeleteFileW(detail::widePath(m_temp).c_str());
    m_temp.clear();
    return false;
}

void CFileWriter::abandon()
{
    if (m_file) {
        std::fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temp.empty()) {
        DeleteFileW(detail::widePath(m_temp).c_str());
        m_temp.clear();
    }
}

} // namespace xandril
