#include "ModulePath.h"

#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>

namespace pellorn {

namespace {

const link_map* mainProgramMap()
{
    void* self = dlopen(nullptr, RTLD_NOW | RTLD_NOLOAD);
    if (!self)
        return nullptr;
    link_map* map = nullptr;
    if (dlinfo(self, RTLD_DI_LINKMAP, &map) != 0)
        map = nullptr;
    dlclose(self);
    return map;
}

std::string ownExecutable()
{
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return {};
    return std::string(exe, static_cast<std::size_t>(n));
}

} // namespace

std::string modulePathOf(const void* address)
{
    Dl_info info{};
    link_map* map = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP))
        return {};
    // The loader names the main program by how it was started, not by
    // its file; its own link does.
    static const link_map* const mainMap = mainProgramMap();
    if (map && map == mainMap)
        return ownExecutable();
    return info.dli_fname ? info.dli_fname : "";
}

std::string moduleNameOf(const void* address)
{
    std::string path = modulePathOf(address);
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace pellorn
