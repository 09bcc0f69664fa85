#include "PcrTray.h"

wxDEFINE_EVENT(VINTREL_EVT_TRAY_NOTIFY, wxCommandEvent);

extern "C" {
TrayTool* CreateTrayTool() { return new PcrTray(); }

void ReleaseTrayTool(TrayTool* tool) { delete tool; }
}
