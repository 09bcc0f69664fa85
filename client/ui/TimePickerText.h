#pragma once
// The views' start/end time picker: one field showing "yyyy/MM/dd HH:mm:ss".
// Typed text is taken when the field loses focus or Enter is pressed; text
// that is no real time is replaced by the last good value. The Up and Down
// keys step the field under the caret (year, month, day, hour, minute or
// second), as a date-time picker does.
#include <ctime>

#include <wx/textctrl.h>

class CTimePickerText : public wxTextCtrl {
public:
    CTimePickerText(wxWindow* parent, wxWindowID id, std::time_t initial);

    // The time shown (after taking any typed text).
    std::time_t GetTime();
    void SetTime(std::time_t t);

private:
    void Commit();
    void OnKillFocus(wxFocusEvent& event);
    void OnEnter(wxCommandEvent& event);
    void OnKeyDown(wxKeyEvent& event);

    std::time_t m_time;
};
