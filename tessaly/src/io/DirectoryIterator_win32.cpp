#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tessaly/io/DirectoryIterator.h"

namespace tessaly::io {

using core::String;

struct DirectoryIterator::State {
    struct Level {
        HANDLE find;
        WIN32_FIND_DATAA data;
        bool fresh;           // data holds the first entry, not yet returned
        std::string relative; // "" for the start, else "sub/dir/"
    };
    std::string root; // with a trailing '/'
    bool recursive;
    String pattern;
    std::vector<Level> stack;
    std::vector<std::string> pending; // sub-directories still to enter
    std::string name;
    std::string relative;
    bool isDir = false;

    ~State()
    {
        for (Level& l : stack)
            FindClose(l.find);
    }

    bool enter(const std::string& rel)
    {
        Level level{};
        level.find = FindFirstFileA((root + rel + "*").c_str(), &level.data);
        if (level.find == INVALID_HANDLE_VALUE)
            return false;
        level.fresh = true;
        level.relative = rel;
        stack.push_back(level);
        return true;
    }
};

DirectoryIterator::DirectoryIterator(const File& directory, bool recursive, const String& pattern)
    : state_(new State)
{
    const String& path = directory.getFullPathname();
    state_->root = std::string(path.text()) + (path.endsWith('/') ? "" : "/");
    state_->recursive = recursive;
    state_->pattern = pattern.isEmpty() ? String("*") : pattern;
    state_->enter("");
}

DirectoryIterator::~DirectoryIterator() = default;

bool DirectoryIterator::next()
{
    State& s = *state_;
    for (;;) {
        if (s.stack.empty()) {
            // Each directory's own entries come before those of its children.
            if (s.pending.empty())
                return false;
            const std::string rel = s.pending.front();
            s.pending.erase(s.pending.begin());
            s.enter(rel);
            continue;
        }
        State::Level& level = s.stack.back();
        if (!level.fresh && !FindNextFileA(level.find, &level.data)) {
            FindClose(level.find);
            s.stack.pop_back();
            continue;
        }
        level.fresh = false;
        const std::string name = level.data.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string rel = level.relative + name;
        const DWORD attrs = level.data.dwFileAttributes;
        // Junctions are listed but not entered, as links are elsewhere.
        const bool isDir = (attrs & FILE_ATTRIBUTE_DIRECTORY) && !(attrs & FILE_ATTRIBUTE_REPARSE_POINT);
        if (isDir && s.recursive)
            s.pending.push_back(rel + "/");
        if (!String::matchesWildcard(name.c_str(), s.pattern.text()))
            continue;
        s.name = name;
        s.relative = rel;
        s.isDir = isDir;
        return true;
    }
}

String DirectoryIterator::getFilename() const
{
    return String(state_->name.c_str());
}

String DirectoryIterator::getRelativePath() const
{
    return String(state_->relative.c_str());
}

File DirectoryIterator::getFile() const
{
    return File(String((state_->root + state_->relative).c_str()));
}

bool DirectoryIterator::isDirectory() const
{
    return state_->isDir;
}

} // namespace tessaly::io
