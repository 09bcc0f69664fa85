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
    ::mkdir(path.c_str(), 0755); // normally exists already
}

} // namespace

} // namespace pellorn
