// Puts the workbook stream into an OLE2 compound file at a path, through a
// temporary file beside it that is renamed over the path only when complete.
#pragma once

#include "ByteSink.h"

#include <functional>
#include <string>

namespace xl::detail {

// produce writes the "Workbook" stream into the sink it is given and returns
// false if it could not. On any failure error holds the cause and no file of
// ours remains.
bool saveCompoundFile(const std::string& path, const std::function<bool(ByteSink&)>& produce,
                      std::string& error);

} // namespace xl::detail
