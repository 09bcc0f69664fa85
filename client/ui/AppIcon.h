#pragma once
// The application icon (resource 128): window icon and tray icon.
#include <wx/icon.h>

wxIcon QuorvelAppIcon();
