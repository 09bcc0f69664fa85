#include "ui/ViewHistory.h"

#include "ui/model/ExportFileName.h"
#include "ui/UiText.h"

CViewHistory::CViewHistory(wxWindow* parent, wxWindowID id, const ViewContext& context)
    : CViewQueryBase(parent, id, context, IDC_QUERY, quorvel::ui::utf8ToUi("查询"))
{
    BuildControls();
}

CViewHistory::~CViewHistory() = default;

quorvel::ui::SeriesKind CViewHistory::CurrentKind() const { return quorvel::ui::SeriesKind::history(); }

CViewQueryBase::QueryWork CViewHistory::MakeQuery(const quorvel::ui::SeriesKind&) const
{
    return [](EMDeviceData& data, std::time_t start, std::time_t end) { return data.queryHistoryStore(start, end); };
}

std::string CViewHistory::ExportFileName(const std::string& deviceUtf8, const std::string& groupUtf8,
                                         std::time_t start, std::time_t end) const
{
    return quorvel::ui::historyExportFileName(deviceUtf8, groupUtf8, start, end);
}
