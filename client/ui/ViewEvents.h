#pragma once
// The events a view queues to itself when the MQTT thread hands it a message
// through the ViewRegistry: one event type per kind of message, so the view
// that takes it is all the routing there is.

#include <wx/event.h>

// "transup" data is waiting for the debug view.
wxDECLARE_EVENT(EVT_TRANS_DATA, wxThreadEvent);
// "CommStatus" states are waiting for the realtime view.
wxDECLARE_EVENT(EVT_COMM_STATUS, wxThreadEvent);
