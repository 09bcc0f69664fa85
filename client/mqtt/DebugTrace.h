// Developer traces of the message path ("debugger output"). Quiet unless the
// environment variable QUORVEL_DEBUG_TRACE is set when the program starts,
// so a flood of messages costs nothing in normal runs.
#pragma once

bool debugTraceEnabled();
void debugTrace(const char* text);
