// Lays out the BIFF8 workbook stream: the global records (fonts, formats,
// sheet directory, shared strings) followed by one substream per sheet.
#pragma once

#include "ByteSink.h"
#include "SharedStrings.h"
#include "SheetData.h"

#include <vector>

namespace xl::detail {

// Writes the whole stream to sink. Sheet substreams are located through
// offsets in the sheet directory, so the layout is measured first. False
// (nothing written) when the stream would exceed the format's 4 GiB reach.
bool writeWorkbookStream(ByteSink& sink, const std::vector<const SheetData*>& sheets,
                         const SharedStrings& strings);

} // namespace xl::detail
