#include "app/Globals.h"

std::string g_moduleDir;
pellorn::LogWrapper* g_logWrapper = nullptr;
