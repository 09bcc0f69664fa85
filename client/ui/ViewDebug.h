#pragma once
// The debug view (raw bytes to and from a channel; template 313).
// Placeholder until the view itself lands: a real, empty view of its class.

#include "ui/ViewBase.h"

class CViewDebug : public CViewBase {
public:
    // The main frame creates it as: new CViewDebug(frame, id, context).
    // parent: the main frame; id: child-window id chosen by the frame;
    // context: the logged-in user (ViewContext in ViewBase.h).
    CViewDebug(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewDebug() override;

    static constexpr int kTemplateId = 313;
};
