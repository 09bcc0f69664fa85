// Program-wide globals set up at start-up and cleared at shutdown.
#pragma once

#include <string>

namespace pellorn {
class LogWrapper;
}

// Directory of the running program file, without a trailing slash.
extern std::string g_moduleDir;

// The program's logger ("Quorvel_Client"); record classes write their
// failures through it. Null until start-up creates it.
extern pellorn::LogWrapper* g_logWrapper;

// Fills g_moduleDir with the directory of the running program. False (and
// g_moduleDir left empty) when the path cannot be found.
bool initModuleDir();
