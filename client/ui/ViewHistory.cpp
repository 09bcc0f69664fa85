#include "ui/ViewHistory.h"

CViewHistory::CViewHistory(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context) {}

CViewHistory::~CViewHistory() = default;
