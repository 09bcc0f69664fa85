#include "app/Globals.h"

char g_moduleDir[260] = {};
pellorn::LogWrapper* g_logWrapper = nullptr;
