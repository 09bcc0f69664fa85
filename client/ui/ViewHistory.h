#pragma once
// The history view (view 1 of the main frame): every row of a data group in
// a time range, as a table or as curves, exportable to .xls or CSV.
#include "ui/ViewQueryBase.h"

class CViewHistory : public CViewQueryBase {
public:
    // The main frame creates it as: new CViewHistory(frame, id, context).
    CViewHistory(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewHistory() override;

    static constexpr int IDC_QUERY = 1;  // the query button, also run by Enter

protected:
    quorvel::ui::SeriesKind CurrentKind() const override;
    QueryWork MakeQuery(const quorvel::ui::SeriesKind& kind) const override;
    std::string ExportFileName(const std::string& deviceUtf8, const std::string& groupUtf8, std::time_t start,
                               std::time_t end) const override;
};
