#include "ui/AppIcon.h"

#include "res/AppIcon.xpm"

wxIcon QuorvelAppIcon() { return wxIcon(quorvel_app_xpm); }
