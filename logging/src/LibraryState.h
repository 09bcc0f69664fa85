// Process-wide state of the library: registry, flags and filter table.
#pragma once

#include "LogFilter.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace pellorn {

class LogWrapper;

struct LibraryState {
    // Guards create/release against each other; writing takes no lock.
    std::mutex mutex;
    bool configured = false;
    bool filterLoaded = false;
    std::unique_ptr<FilterTable> filterTable;
    std::map<std::string, LogWrapper*> registry;
};

LibraryState& libraryState();

} // namespace pellorn
