#pragma once
// The dialogs' window onto the configuration: the server settings and the
// view colour, read from and written to Config.
#include <cstdint>

#include "ui/RemoteCommParams.h"

namespace quorvel::ui {

RemoteCommParams currentRemoteCommParams();

// Takes the values into the configuration and writes WorkParam.xml at once.
void storeRemoteCommParams(const RemoteCommParams& params);

// ConfigUI::viewColor (0x00BBGGRR).
std::uint32_t configuredViewColorRef();

}  // namespace quorvel::ui
