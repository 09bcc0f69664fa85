#include "ui/UiText.h"

#include "app/TextCodec.h"

namespace quorvel::ui {

wxString gbkToUi(const std::string& gbk) { return wxString::FromUTF8(gbkToUtf8(gbk)); }

std::string uiToGbk(const wxString& text) { return utf8ToGbk(uiToUtf8(text)); }

wxString utf8ToUi(const std::string& utf8) {
    // FromUTF8 gives an empty string for invalid input; keep what is valid.
    wxString s = wxString::FromUTF8(utf8.data(), utf8.size());
    if (s.empty() && !utf8.empty()) s = wxString::FromUTF8(gbkToUtf8(utf8ToGbk(utf8)));
    return s;
}

std::string uiToUtf8(const wxString& text) {
    const wxScopedCharBuffer buf = text.utf8_str();
    return std::string(buf.data(), buf.length());
}

}  // namespace quorvel::ui
