#include "ui/ViewStatistics.h"

#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "ui/model/ExportFileName.h"
#include "ui/UiText.h"

using quorvel::ui::utf8ToUi;

CViewStatistics::CViewStatistics(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewQueryBase(parent, id, context, IDC_RUN, utf8ToUi("统计"))
{
    BuildControls();
}

CViewStatistics::~CViewStatistics() = default;

void CViewStatistics::AddOptionControls(wxWindow* parent, wxBoxSizer* row)
{
    auto* box = new wxStaticBoxSizer(wxHORIZONTAL, parent, utf8ToUi("统计选项"));
    box->GetStaticBox()->SetForegroundColour(CViewBase::kLabelColour);
    const char* captions[3] = {"小时", "日", "月"};
    const int ids[3] = {IDC_HOUR, IDC_DAY, IDC_MONTH};
    for (int i = 0; i < 3; ++i) {
        m_periodButtons[i] = new wxRadioButton(box->GetStaticBox(), ids[i], utf8ToUi(captions[i]), wxDefaultPosition,
                                               wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        m_periodButtons[i]->SetForegroundColour(CViewBase::kLabelColour);
        box->Add(m_periodButtons[i], 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    }
    m_periodButtons[0]->SetValue(true);
    row->Add(box, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 12);
}

void CViewStatistics::BeforeQuery()
{
    for (int i = 0; i < 3; ++i)
        if (m_periodButtons[i] && m_periodButtons[i]->GetValue())
            m_period = i;
}

quorvel::ui::SeriesKind CViewStatistics::CurrentKind() const { return quorvel::ui::SeriesKind::stats(m_period); }

CViewQueryBase::QueryWork CViewStatistics::MakeQuery(const quorvel::ui::SeriesKind& kind) const
{
    const int mode = kind.period;
    return [mode](EMDeviceData& data, std::time_t start, std::time_t end) {
        return data.queryStatisticsStore(start, end, mode);
    };
}

std::string CViewStatistics::ExportFileName(const std::string& deviceUtf8, const std::string& groupUtf8,
                                            std::time_t start, std::time_t end) const
{
    return quorvel::ui::statisticsExportFileName(deviceUtf8, groupUtf8, start, end, m_period);
}
