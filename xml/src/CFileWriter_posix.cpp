// The file sink: a temporary file in the target's folder, flushed to disk
// and renamed over the target, so that a crash or a full disk mid-write
// never leaves a half-written or missing file behind.
#include "xandril/XmlWriters.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace xandril {

namespace {

std::string folderOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& path)
{
    int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // best effort: the rename itself has happened
        ::close(fd);
    }
}

} // namespace

CFileWriter::CFileWriter(const char* path, int permissions) : m_target(path ? path : "")
{
    if (m_target.empty())
        return;

    // A link stays a link: the file it points at is the one replaced.
    struct stat info {};
    if (::lstat(m_target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        if (char* real = ::realpath(m_target.c_str(), nullptr)) {
            m_target = real;
            std::free(real);
        }
    }

    mode_t mode = 0666;
    bool exactMode = false;
    if (permissions >= 0) {
        mode = static_cast<mode_t>(permissions);
        exactMode = true;
    } else if (::stat(m_target.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
        exactMode = true;
    }

    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        std::string temp = m_target + ".tmp-" + std::to_string(::getpid()) + "-"
                           + std::to_string(counter++);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exactMode ? mode & 0700 : mode);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        if (exactMode && ::fchmod(fd, mode) != 0) {
            ::close(fd);
            ::unlink(temp.c_str());
            return;
        }
        m_file = ::fdopen(fd, "wb");
        if (!m_file) {
            ::close(fd);
            ::unlink(temp.c_str());
            return;
        }
        m_temp = temp;
    }
}

bool CFileWriter::commit()
{
    if (!m_file)
        return false;
    bool ok = !m_failed && std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    if (ok && ::rename(m_temp.c_str(), m_target.c_str()) == 0) {
        syncFolder(m_target);
        m_temp.clear();
        return true;
    }
    ::unlink(m_temp.c_str());
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
        ::unlink(m_temp.c_str());
        m_temp.clear();
    }
}

} // namespace xandril
