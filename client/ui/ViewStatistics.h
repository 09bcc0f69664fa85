#pragma once
// The statistics view (view 2 of the main frame): hourly, daily or monthly
// averages of a data group, as a table or as curves,
// exportable to .xls.
#include "ui/ViewQueryBase.h"

class wxRadioButton;

class CViewStatistics : public CViewQueryBase {
public:
    // The main frame creates it as: new CViewStatistics(frame, id, context).
    CViewStatistics(wxWindow* parent, wxWindowID id, const ViewContext& context);
    ~CViewStatistics() override;

    static constexpr int IDC_RUN = 1012;  // the statistics button, also run by Enter
    static constexpr int IDC_HOUR = 1070;
    static constexpr int IDC_DAY = 1071;
    static constexpr int IDC_MONTH = 1072;

    // The period of the last statistics run: 0 hour, 1 day, 2 month.
    int GetPeriod() const { return m_period; }

protected:
    void AddOptionControls(wxWindow* parent, wxBoxSizer* row) override;
    void BeforeQuery() override;
    quorvel::ui::SeriesKind CurrentKind() const override;
    QueryWork MakeQuery(const quorvel::ui::SeriesKind& kind) const override;
    std::string ExportFileName(const std::string& deviceUtf8, const std::string& groupUtf8, std::time_t start,
                               std::time_t end) const override;

private:
    wxRadioButton* m_periodButtons[3] = {};
    int m_period = 0;
};
