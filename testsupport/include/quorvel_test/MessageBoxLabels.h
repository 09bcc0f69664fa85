#pragma once
// Checks that a message box shows the program's own button texts (是(Y),
// 否(N), 确定, 取消) for the buttons its style asks for, whatever the
// locale of the test process.

#include <string>

#include <gtest/gtest.h>
#include <wx/msgdlg.h>

// The text a button shows: its mnemonic marker ("&", or "_" once the
// toolkit has taken the label over) removed.
inline std::string shownButtonText(const wxString& label) {
    std::string out;
    const std::string utf8 = label.utf8_string();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((utf8[i] == '&' || utf8[i] == '_') && i + 1 < utf8.size()) {
            out += utf8[++i];
            continue;
        }
        out += utf8[i];
    }
    return out;
}

inline ::testing::AssertionResult hasOwnButtonLabels(const wxMessageDialog& box) {
    const long style = box.GetMessageDialogStyle();
    struct Expected {
        bool shown;
        wxString label;
        const char* text;
    } buttons[] = {
        {(style & wxYES_NO) != 0, box.GetYesLabel(), "是(Y)"},
        {(style & wxYES_NO) != 0, box.GetNoLabel(), "否(N)"},
        {(style & wxOK) != 0 && !(style & wxYES_NO), box.GetOKLabel(), "确定"},
        {(style & wxCANCEL) != 0, box.GetCancelLabel(), "取消"},
    };
    for (const Expected& b : buttons)
        if (b.shown && shownButtonText(b.label) != b.text)
            return ::testing::AssertionFailure() << "button \"" << b.label.utf8_string() << "\" should read \""
                                                 << b.text << "\" (box \"" << box.GetMessage().utf8_string() << "\")";
    return ::testing::AssertionSuccess();
}
