#include "ui/ViewEvents.h"

wxDEFINE_EVENT(EVT_TRANS_DATA, wxThreadEvent);
wxDEFINE_EVENT(EVT_COMM_STATUS, wxThreadEvent);
