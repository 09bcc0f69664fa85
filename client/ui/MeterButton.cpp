#include "ui/MeterButton.h"

void CMeterButton::SetMeterColorScheme() {
    SetColor(BTNST_COLOR_BK_IN, BackIn());
    SetColor(BTNST_COLOR_FG_IN, Text());
    SetColor(BTNST_COLOR_BK_OUT, BackOut());
    SetColor(BTNST_COLOR_FG_OUT, Text());
    SetColor(BTNST_COLOR_BK_FOCUS, BackFocus());
    SetColor(BTNST_COLOR_FG_FOCUS, Text());
}
