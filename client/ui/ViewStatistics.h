#pragma once
// The statistics view (averages of a device's data groups; template 320).
// Placeholder until the view itself lands: a real, empty view of its class.

#include "ui/ViewBase.h"

class CViewStatistics : public CViewBase {
public:
    // The main frame creates it as: new CViewStatistics(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user (ViewContext in ViewBase.h).
    CViewStatistics(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewStatistics() override;

    static constexpr int kTemplateId = 320;
};
