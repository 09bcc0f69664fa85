// Path text operations of File; everything that asks the system lives in
// File_posix.cpp.
#include "tessaly/io/File.h"
#include "io/PathRoot.h"

#include <string>
#include <vector>

#include "tessaly/core/IllegalArgumentException.h"
#include "tessaly/io/FileInputStream.h"
#include "tessaly/io/FileOutputStream.h"

namespace tessaly::io {

using core::String;

namespace {

const char* const kIllegalChars = "*?\"<>|";

String trimmedExtension(const String& ext)
{
    return ext.startsWith('.') ? ext.substring(1) : ext;
}

// Resolves "." and "..", keeping a leading "/" and never climbing above it.
String resolveDots(const String& path)
{
    const std::string text(path.text() ? path.text() : "");
    const bool absolute = !text.empty() && text[0] == '/';
    std::vector<std::string> kept;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string seg = text.substr(start, end - start);
        if (seg == "..") {
            if (!kept.empty() && kept.back() != "..")
                kept.pop_back();
            else if (!absolute)
                kept.push_back(seg);
        } else if (!seg.empty() && seg != ".") {
            kept.push_back(seg);
        }
        start = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (i)
            out += '/';
        out += kept[i];
    }
    return String(out.c_str());
}

} // namespace

File::File(const String& path)
{
    if (path.isEmpty() || path.containsAnyOf(kIllegalChars))
        throw core::IllegalArgumentException("Argument is empty or includes illegal char.", __FILE__, __LINE__);
    // Separators first, so that "\dir\name" counts as absolute here.
    path_ = parseRelativePath(uniformPathname(path));
}

File::File(const File& other) : path_(other.path_) {}

File& File::operator=(const File& other)
{
    // The mark was for the old path; carrying it over would delete the new one.
    path_ = other.path_;
    deleteOnExit_ = false;
    recursive_ = false;
    return *this;
}

String File::uniformPathname(const String& path)
{
    return path.replaceAll('\\', '/');
}

String File::parseRelativePath(const String& path)
{
    if (isRootedPath(path))
        return path;
    const String cwd = currentDirectory();
    if (cwd.isEmpty())
        return path;
    return cwd.endsWith('/') ? cwd + path : cwd + "/" + path;
}

void File::removeExistDot()
{
    const String resolved = resolveDots(path_);
    path_ = resolved.isEmpty() ? String("/") : resolved;
}

String File::getFilename() const
{
    const int slash = path_.lastIndexOf('/');
    return slash < 0 ? path_ : path_.substring(slash + 1);
}

String File::getFileExtension() const
{
    if (isDirectory())
        return String();
    const int dot = path_.lastIndexOf('.');
    if (dot < 0 || dot < path_.lastIndexOf('/'))
        return String();
    return path_.substring(dot + 1);
}

bool File::hasExtension(const String& extension) const
{
    return getFileExtension() == trimmedExtension(extension);
}

File File::getParentDirectory() const
{
    String p = path_;
    while (p.length() > 1 && p.endsWith('/'))
        p = p.dropLastChars(1);
    const int slash = p.lastIndexOf('/');
    if (slash <= 0)
        return File(String("/"));
    return File(p.substring(0, slash));
}

String File::getFilenameWithoutExtension() const
{
    const String name = getFilename();
    const int dot = name.lastIndexOf('.');
    return dot < 0 ? name : name.substring(0, dot);
}

File File::replaceFileExtension(const String& extension) const
{
    const String name = getFilename();
    const int dot = name.lastIndexOf('.');
    String base = path_;
    if (dot >= 0)
        base = path_.dropLastChars(static_cast<int>(name.length()) - dot);
    const String ext = trimmedExtension(extension);
    return File(ext.isEmpty() ? base : base + "." + ext);
}

bool File::isAChildOf(const File& directory) const
{
    const String mine = resolveDots(path_);
    String dir = resolveDots(directory.path_);
    if (!dir.endsWith('/'))
        dir += '/';
    return mine.length() > dir.length() && mine.startsWith(dir.text());
}

void File::deleteOnExit(bool recursive)
{
    deleteOnExit_ = true;
    recursive_ = recursive;
}

bool File::listFiles(FileFilter* filter, const String& pattern, std::vector<String>& files) const
{
    return list(filter, pattern, &files, nullptr);
}

bool File::listFolders(FileFilter* filter, const String& pattern, std::vector<String>& folders) const
{
    return list(filter, pattern, nullptr, &folders);
}

bool File::listAll(FileFilter* filter, const String& pattern, std::vector<String>& files,
                   std::vector<String>& folders) const
{
    return list(filter, pattern, &files, &folders);
}

// Each answer asks the file system once, through the platform's kind().
bool File::exists() const
{
    return kind() != Kind::missing;
}

bool File::existsAsFile() const
{
    return kind() == Kind::file;
}

bool File::isDirectory() const
{
    return kind() == Kind::directory;
}

InputStream* File::createInputStream() const
{
    return new FileInputStream(*this);
}

OutputStream* File::createOutputStream() const
{
    return new FileOutputStream(*this);
}

} // namespace tessaly::io
