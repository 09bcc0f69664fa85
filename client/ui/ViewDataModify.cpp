#include "ui/ViewDataModify.h"

CViewDataModify::CViewDataModify(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context) {}

CViewDataModify::~CViewDataModify() = default;
