// Where code lives on disk: the file of the module holding an address.
#pragma once

#include <string>

namespace pellorn {

// Full path of the shared object or program that contains `address`;
// empty when it cannot be found.
std::string modulePathOf(const void* address);

// The file name alone (no directory) of that module.
std::string moduleNameOf(const void* address);

} // namespace pellorn
