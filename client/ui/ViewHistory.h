#pragma once
// The history view (history of a device's data groups; template 319).
// Placeholder until the view itself lands: a real, empty view of its class.

#include "ui/ViewBase.h"

class CViewHistory : public CViewBase {
public:
    // The main frame creates it as: new CViewHistory(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user (ViewContext in ViewBase.h).
    CViewHistory(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewHistory() override;

    static constexpr int kTemplateId = 319;
};
