#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "tessaly/io/DirectoryIterator.h"

namespace tessaly::io {

using core::String;

struct DirectoryIterator::State {
    struct Level {
        DIR* dir;
        std::string relative; // "" for the start, else "sub/dir/"
    };
    std::string root;         // with a trailing '/'
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
            ::closedir(l.dir);
    }

    bool enter(const std::string& rel)
    {
        DIR* d = ::opendir((root + rel).c_str());
        if (!d)
            return false;
        stack.push_back({d, rel});
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
        dirent* e = ::readdir(level.dir);
        if (!e) {
            ::closedir(level.dir);
            s.stack.pop_back();
            continue;
        }
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string rel = level.relative + name;
        struct stat st;
        const bool isDir = ::lstat((s.root + rel).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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
