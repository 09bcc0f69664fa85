#include "ui/ViewDebug.h"

CViewDebug::CViewDebug(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewBase(parent, id, context) {}

CViewDebug::~CViewDebug() = default;
