#include "ui/TimePickerText.h"

#include <wx/dcclient.h>

#include "ui/model/PickerTime.h"

using quorvel::ui::parsePickerText;
using quorvel::ui::pickerText;

CTimePickerText::CTimePickerText(wxWindow* parent, wxWindowID id, std::time_t initial)
    : wxTextCtrl(parent, id, wxString::FromUTF8(pickerText(initial)), wxDefaultPosition, wxDefaultSize,
                 wxTE_PROCESS_ENTER),
      m_time(initial)
{
    wxClientDC dc(this);
    dc.SetFont(GetFont());
    const wxSize text = dc.GetTextExtent("0000/00/00 00:00:00");
    SetMinSize(wxSize(text.GetWidth() + 24, -1));
    Bind(wxEVT_KILL_FOCUS, &CTimePickerText::OnKillFocus, this);
    Bind(wxEVT_TEXT_ENTER, &CTimePickerText::OnEnter, this);
    Bind(wxEVT_KEY_DOWN, &CTimePickerText::OnKeyDown, this);
}

std::time_t CTimePickerText::GetTime()
{
    Commit();
    return m_time;
}

void CTimePickerText::SetTime(std::time_t t)
{
    m_time = t;
    ChangeValue(wxString::FromUTF8(pickerText(t)));
}

void CTimePickerText::Commit()
{
    if (auto t = parsePickerText(GetValue().ToStdString(wxConvUTF8)))
        m_time = *t;
    ChangeValue(wxString::FromUTF8(pickerText(m_time)));
}

void CTimePickerText::OnKillFocus(wxFocusEvent& event)
{
    Commit();
    event.Skip();
}

void CTimePickerText::OnEnter(wxCommandEvent&) { Commit(); }

void CTimePickerText::OnKeyDown(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (key != WXK_UP && key != WXK_DOWN) {
        event.Skip();
        return;
    }
    const long caret = GetInsertionPoint();
    Commit();
    // Field boundaries of "yyyy/MM/dd HH:mm:ss".
    static const long ends[] = {4, 7, 10, 13, 16, 19};
    int field = 0;
    while (field < 5 && caret > ends[field])
        ++field;
    struct tm local {};
    localtime_r(&m_time, &local);
    const int step = key == WXK_UP ? 1 : -1;
    switch (field) {
    case 0: local.tm_year += step; break;
    case 1: local.tm_mon += step; break;
    case 2: local.tm_mday += step; break;
    case 3: local.tm_hour += step; break;
    case 4: local.tm_min += step; break;
    default: local.tm_sec += step; break;
    }
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t != static_cast<std::time_t>(-1))
        SetTime(t);
    SetInsertionPoint(caret);
}
