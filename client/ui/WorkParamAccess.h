#pragma once
// The dialogs' window onto the configuration: the server settings and the
// view colour, read from and written to Config.
#include <cstdint>
#include <string>

#include "ui/RemoteCommParams.h"

namespace quorvel::ui {

RemoteCommParams currentRemoteCommParams();

// Takes the values into the configuration and writes WorkParam.xml at once.
// False when the file could not be written (read-only folder, full disk):
// the old file is then left as it was; the values are taken all the same.
bool storeRemoteCommParams(const RemoteCommParams& params);

// Where storeRemoteCommParams writes.
std::string workParamFilePath();

// ConfigUI::viewColor (0x00BBGGRR).
std::uint32_t configuredViewColorRef();

}  // namespace quorvel::ui
