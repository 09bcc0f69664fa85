#pragma once

#include <vector>

#include "tessaly/core/Date.h"
#include "tessaly/core/String.h"
#include "tessaly/core/Types.h"

namespace tessaly::io {

class FileFilter;
class InputStream;
class OutputStream;

// A file-system path, made absolute against the current directory and
// written with '/' separators (backslashes are turned into '/').
//
// Path rules:
// - Names are case-sensitive here, so == and != compare paths exactly.
// - getFileExtension(): the text after the last '.' of the last segment;
//   empty for an existing directory or a name without a dot.
// - getFilenameWithoutExtension(): the last segment without ".ext".
// - replaceFileExtension(ext): the same path with ".ext" replacing the
//   extension (added when there is none; removed for an empty ext). ext may
//   be given with or without its dot; hasExtension() takes both forms too.
// - isAChildOf(dir): the path lies anywhere below dir (not dir itself);
//   both paths are compared after "." and ".." segments are resolved.
// - Listings match each entry's name against a wildcard pattern ('*', '?',
//   case-sensitive; an empty pattern means "*"), then against the filter
//   when one is given, skip "." and "..", and come back sorted by name.
// - A File copied from one marked deleteOnExit does not inherit the mark:
//   only the object that was marked removes the file; assigning another
//   path to a marked File clears its mark.
class File {
public:
    // Throws IllegalArgumentException for an empty path or one containing
    // any of * ? " < > |
    explicit File(const core::String& path);
    File(const File& other);
    File& operator=(const File& other);
    ~File();

    // Resolves "." and ".." segments in place; ".." never climbs above "/".
    void removeExistDot();

    bool operator==(const File& other) const { return path_ == other.path_; }
    bool operator!=(const File& other) const { return path_ != other.path_; }
    bool operator==(const core::String& path) const { return path_ == path; }
    bool operator!=(const core::String& path) const { return path_ != path; }

    bool exists() const;
    // Exists and is not a directory.
    bool existsAsFile() const;
    bool isDirectory() const;
    // No write permission for the owner.
    bool isReadOnly() const;
    bool setReadOnly(bool readOnly);
    core::int64 length() const;
    // Local times at second resolution; the zero Date when unavailable.
    core::Date lastModified() const;
    // The birth time where the file system keeps one, else the status change time.
    core::Date createTime() const;
    core::Date lastAccessed() const;
    // Sets both access and modification time.
    bool setLastModified(const core::Date& date);

    const core::String& getFullPathname() const { return path_; }
    core::String getFilename() const;
    core::String getFileExtension() const;
    bool hasExtension(const core::String& extension) const;
    File getParentDirectory() const;
    core::String getFilenameWithoutExtension() const;
    File replaceFileExtension(const core::String& extension) const;
    bool isAChildOf(const File& directory) const;

    // False when the file already exists or cannot be made.
    bool createNewFile();
    // Files only; directories go with rmdir.
    bool deleteFile();
    bool mkdir();
    bool mkdirs();
    bool rmdir(bool recursive);
    bool chdir();
    // Moves this file or directory; between file systems a regular file is
    // copied and the source removed. An existing target is replaced only
    // with overwrite.
    bool renameTo(const File& target, bool overwrite);
    // Copies a regular file, replacing an existing target.
    bool copyTo(const File& target) const;
    // Removes the file (or the directory, with its tree when recursive)
    // when this object is destroyed.
    void deleteOnExit(bool recursive);

    bool listFiles(FileFilter* filter, const core::String& pattern, std::vector<core::String>& files) const;
    bool listFolders(FileFilter* filter, const core::String& pattern, std::vector<core::String>& folders) const;
    bool listAll(FileFilter* filter, const core::String& pattern, std::vector<core::String>& files,
                 std::vector<core::String>& folders) const;

    // New streams on this file; the caller deletes them. They throw
    // FileIOException when the file cannot be opened.
    InputStream* createInputStream() const;
    OutputStream* createOutputStream() const;

    static core::String currentDirectory();

protected:
    static core::String parseRelativePath(const core::String& path);
    static core::String uniformPathname(const core::String& path);

private:
    enum class Kind { missing, file, directory };
    Kind kind() const;
    bool list(FileFilter* filter, const core::String& pattern, std::vector<core::String>* files,
              std::vector<core::String>* folders) const;

    core::String path_;
    bool deleteOnExit_ = false;
    bool recursive_ = false;
};

} // namespace tessaly::io
