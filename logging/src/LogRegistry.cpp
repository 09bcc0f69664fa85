#include "LibraryState.h"
#include "LogBackend.h"

#include "pellorn/LogWrapper.h"

namespace pellorn {

LibraryState& libraryState()
{
    static LibraryState state;
    return state;
}

namespace {

void configure(LibraryState& state)
{
    // Where records go is the installation's business: the library only
    // hands the back end the properties file of the working directory.
    logBackend::configure("./ApplicationLog.conf");
    auto table = std::make_unique<FilterTable>();
    if (readFilterFile("./LogFilter.conf", *table)) {
        state.filterTable = std::move(table);
        state.filterLoaded = true;
    } else {
        state.filterTable.reset();
    }
    state.configured = true;
}

} // namespace

} // namespace pellorn

using pellorn::LibraryState;
using pellorn::LogWrapper;

extern "C" LogWrapper* createLogWrapper(const char* name)
{
    LibraryState& state = pellorn::libraryState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.configured)
        pellorn::configure(state);
    if (!name)
        return nullptr;
    auto it = state.registry.find(name);
    if (it != state.registry.end())
        return it->second;
    auto* wrapper = new LogWrapper(name);
    state.registry.emplace(name, wrapper);
    return wrapper;
}

extern "C" void releaseLogWrapper(const char* name)
{
    if (!name)
        return;
    LibraryState& state = pellorn::libraryState();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.registry.find(name);
    if (it != state.registry.end()) {
        delete it->second;
        state.registry.erase(it);
    }
    // The next wrapper configures afresh (properties and filter re-read).
    if (state.registry.empty() && state.filterTable) {
        state.filterTable.reset();
        state.configured = false;
    }
}
