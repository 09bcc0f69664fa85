// Makes sure a "log" folder exists beside this library's own file as soon
// as the library is loaded (the properties file usually points there).
#include "ModulePath.h"

#include <sys/stat.h>

namespace pellorn {

namespace {

__attribute__((constructor)) void createLogFolderBesideLibrary()
{
    std::string path = modulePathOf(reinterpret_cast<const void*>(&createLogFolderBesideLibrary));
    auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return;
    path.erase(slash);
    path += "/log";
    // Owner only: the records are the operator's own. A folder made by an
    // earlier version with wider rights is narrowed (when it is ours).
    if (::mkdir(path.c_str(), 0700) != 0)
        ::chmod(path.c_str(), 0700);
}

} // namespace

} // namespace pellorn
