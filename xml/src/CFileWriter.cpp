// The file sink's parts that need no file system call: the platform files
// (CFileWriter_posix.cpp, CFileWriter_win32.cpp) open, commit and abandon.
#include "xandril/XmlWriters.h"

#include <cstdio>

namespace xandril {

CFileWriter::~CFileWriter()
{
    abandon();
}

void CFileWriter::write(const void* data, std::size_t size)
{
    if (!m_file || m_failed || size == 0)
        return;
    if (std::fwrite(data, 1, size, m_file) != size)
        m_failed = true;
}

} // namespace xandril
