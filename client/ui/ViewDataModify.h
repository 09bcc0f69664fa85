#pragma once
// The data modification view (data points of a device; template 315).
// Placeholder until the view itself lands: a real, empty view of its class.

#include "ui/ViewBase.h"

class CViewDataModify : public CViewBase {
public:
    // The main frame creates it as: new CViewDataModify(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user (ViewContext in ViewBase.h).
    CViewDataModify(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewDataModify() override;

    static constexpr int kTemplateId = 315;
};
