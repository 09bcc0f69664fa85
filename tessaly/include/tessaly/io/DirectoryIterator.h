#pragma once

#include <memory>

#include "tessaly/core/NonCopyable.h"
#include "tessaly/core/String.h"
#include "tessaly/io/File.h"

namespace tessaly::io {

// Walks the entries of a directory whose names match a wildcard pattern
// ('*', '?', case-sensitive; empty means "*"), skipping "." and "..".
// With recursive set, sub-directories are entered too (whether or not
// their own names match), breadth first: all entries of a directory come
// before those inside its sub-directories; symbolic links are not followed.
// Entry order within one directory is the file system's.
class DirectoryIterator : public core::NonCopyable {
public:
    DirectoryIterator(const File& directory, bool recursive, const core::String& pattern);
    ~DirectoryIterator() override;

    // Advances to the next entry; false at the end.
    bool next();
    // The current entry's name.
    core::String getFilename() const;
    // The current entry's path relative to the starting directory.
    core::String getRelativePath() const;
    // The current entry as a File.
    File getFile() const;
    bool isDirectory() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace tessaly::io
