#include "ui/ViewStatistics.h"

CViewStatistics::CViewStatistics(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context) {}

CViewStatistics::~CViewStatistics() = default;
