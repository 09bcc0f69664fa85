#pragma once
// The one place where the user interface turns stored text into display text
// and back. Database text is GBK bytes, XML/configuration text is UTF-8; a
// window never sees either directly.
#include <string>

#include <wx/string.h>

namespace quorvel::ui {

// GBK bytes (database fields) -> display text. Bytes that are not valid GBK
// are converted as far as the codec allows; never throws.
wxString gbkToUi(const std::string& gbk);

// Display text -> GBK bytes for the database. Characters without a GBK form
// are dropped/replaced by the codec; never throws.
std::string uiToGbk(const wxString& text);

// UTF-8 bytes (configuration values, source literals) -> display text.
wxString utf8ToUi(const std::string& utf8);

// Display text -> UTF-8 bytes (configuration values).
std::string uiToUtf8(const wxString& text);

}  // namespace quorvel::ui
