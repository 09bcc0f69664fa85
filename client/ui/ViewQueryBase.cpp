#include "ui/ViewQueryBase.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <wx/app.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/msgdlg.h>
#include <wx/progdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include <curvella/CoordsSysEngine.h>

#include "app/TextCodec.h"
#include "db/EMDevice.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUserDevice.h"
#include "db/ConnectionPool.h"
#include "ui/MeterButton.h"
#include "ui/ResultList.h"
#include "ui/SheetExport.h"
#include "ui/TimePickerText.h"
#include "ui/UiText.h"

using quorvel::ui::utf8ToUi;

namespace {

constexpr int kBusyTimerId = 1;
constexpr int kMarginRight = 20;   // the list keeps this far from the right and bottom edges
constexpr int kMarginBottom = 20;
constexpr std::time_t kWeek = 604800;
// Exports this long show a progress dialog that can cancel them.
constexpr size_t kProgressFromRows = 20000;

wxDEFINE_EVENT(EVT_QUERY_DONE, wxThreadEvent);

CViewQueryBase::PlotFactory& plotFactory()
{
    static CViewQueryBase::PlotFactory factory = CViewQueryBase::DefaultPlotFactory();
    return factory;
}

double msBetween(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b)
{
    return std::chrono::duration<double, std::milli>(b - a).count();
}

}  // namespace

// Handed from the worker thread to the UI thread.
struct CViewQueryBase::QueryOutcome {
    unsigned ticket = 0;
    std::shared_ptr<const DataRows> rows;
    quorvel::ui::PlotFeed feed;
    double queryMs = 0;
    std::string error;  // the database's failure, if any
};

// Shared by the view and its query thread: the view may go (at exit) while
// a query still waits on a database that no longer answers.
struct CViewQueryBase::WorkerLink {
    std::mutex mutex;
    std::condition_variable doneChanged;
    wxEvtHandler* target = nullptr;  // cleared when the view goes
    bool done = false;
};

namespace {
// How long a view that goes away waits for its interrupted query.
constexpr std::chrono::milliseconds kQueryEndPatience{1500};
const char* const kBusyLine = "查询中…";
const char* const kQueryFailedLine = "数据库查询失败！";
}  // namespace

wxBEGIN_EVENT_TABLE(CViewQueryBase, CViewBase)
    EVT_SIZE(CViewQueryBase::OnSize)
    EVT_CHOICE(CViewQueryBase::IDC_DEVICE, CViewQueryBase::OnDeviceChange)
    EVT_CHOICE(CViewQueryBase::IDC_GROUP, CViewQueryBase::OnGroupChange)
    EVT_BUTTON(CViewQueryBase::IDC_TABLE, CViewQueryBase::OnTableButton)
    EVT_BUTTON(CViewQueryBase::IDC_CURVE, CViewQueryBase::OnCurveButton)
    EVT_BUTTON(CViewQueryBase::IDC_EXPORT, CViewQueryBase::OnExportButton)
    EVT_TIMER(kBusyTimerId, CViewQueryBase::OnBusyTimer)
wxEND_EVENT_TABLE()

void CViewQueryBase::PlotRelease::operator()(CoordsSysEngine* plot) const
{
    if (plot)
        plotFactory().release(plot);
}

void CViewQueryBase::SetPlotFactory(PlotFactory factory) { plotFactory() = std::move(factory); }

CViewQueryBase::PlotFactory CViewQueryBase::DefaultPlotFactory()
{
    return {[] { return createCoordsSys(); }, [](CoordsSysEngine* plot) { releaseCoordsSys(plot); }};
}

CViewQueryBase::CViewQueryBase(wxWindow* parent, wxWindowID id, const ViewContext& context, int queryButtonId,
                               const wxString& queryCaption)
    : CViewBase(parent, id, context), m_busyTimer(this, kBusyTimerId), m_queryButtonId(queryButtonId),
      m_queryCaption(queryCaption), m_plot(plotFactory().create()), m_result(std::make_shared<DataRows>())
{
    Bind(EVT_QUERY_DONE, &CViewQueryBase::OnQueryDone, this);
    Bind(wxEVT_CHAR_HOOK, &CViewQueryBase::OnCharHook, this);
    Bind(wxEVT_BUTTON, &CViewQueryBase::OnQueryButton, this, queryButtonId);
}

CViewQueryBase::~CViewQueryBase()
{
    // A running query holds no pointer into the view; only its result is
    // lost. One stuck on a database that stopped answering is interrupted
    // (this happens at exit); if it still does not end, its thread is left
    // to end on its own rather than holding the exit.
    if (!m_worker.joinable())
        return;
    std::unique_lock<std::mutex> lock(m_workerLink->mutex);
    m_workerLink->target = nullptr;
    if (!m_workerLink->done) {
        lock.unlock();
        interruptDatabaseWork();
        lock.lock();
    }
    const bool ended = m_workerLink->doneChanged.wait_for(lock, kQueryEndPatience, [&] { return m_workerLink->done; });
    lock.unlock();
    if (ended)
        m_worker.join();
    else
        m_worker.detach();
}

wxString CViewQueryBase::GetMessageLine() const
{
    return m_busyText->IsShown() ? m_busyText->GetLabel() : wxString();
}

void CViewQueryBase::BuildControls()
{
    const int queryButtonId = m_queryButtonId;
    const wxString queryCaption = m_queryCaption;
    auto* top = new wxBoxSizer(wxVERTICAL);
    m_topRow = new wxBoxSizer(wxHORIZONTAL);
    auto label = [this](const char* utf8) { return new wxStaticText(this, wxID_ANY, utf8ToUi(utf8)); };
    const int gap = 6;

    m_topRow->Add(label("设备"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_devices = new wxChoice(this, IDC_DEVICE, wxDefaultPosition, wxSize(150, -1));
    m_topRow->Add(m_devices, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);
    m_topRow->Add(label("数据分类"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_groups = new wxChoice(this, IDC_GROUP, wxDefaultPosition, wxSize(130, -1));
    m_topRow->Add(m_groups, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);

    const std::time_t now = std::time(nullptr);
    auto* times = new wxFlexGridSizer(2, 2, 2, gap);
    times->Add(label("开始时间"), 0, wxALIGN_CENTER_VERTICAL);
    m_start = new CTimePickerText(this, IDC_START, now - kWeek);
    times->Add(m_start, 0, wxALIGN_CENTER_VERTICAL);
    times->Add(label("结束时间"), 0, wxALIGN_CENTER_VERTICAL);
    m_end = new CTimePickerText(this, IDC_END, now);
    times->Add(m_end, 0, wxALIGN_CENTER_VERTICAL);
    m_topRow->Add(times, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);

    AddOptionControls(this, m_topRow);

    auto button = [&](int id, const char* utf8) {
        auto* b = new CMeterButton(this, id, utf8ToUi(utf8), wxDefaultPosition, wxSize(64, 30));
        m_topRow->Add(b, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        return b;
    };
    m_queryButton = new CMeterButton(this, queryButtonId, queryCaption, wxDefaultPosition, wxSize(64, 30));
    m_topRow->Add(m_queryButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_tableButton = button(IDC_TABLE, "表格");
    m_curveButton = button(IDC_CURVE, "曲线");
    m_exportButton = button(IDC_EXPORT, "导出");

    m_busyGauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(80, 12));
    m_busyText = label(kBusyLine);
    m_topRow->Add(m_busyGauge, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    m_topRow->Add(m_busyText, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    m_busyGauge->Hide();
    m_busyText->Hide();

    top->Add(m_topRow, 0, wxALL, 10);
    SetSizer(top);

    m_list = new CResultList(this, IDC_RESULT);
}

void CViewQueryBase::AddOptionControls(wxWindow*, wxBoxSizer*) {}

void CViewQueryBase::OnInitialUpdate()
{
    CViewBase::OnInitialUpdate();
    for (CMeterButton* b : {m_queryButton, m_tableButton, m_curveButton, m_exportButton})
        b->SetMeterColorScheme();

    for (EMDevice* device : EMUserDevice::getDevicesByUser(GetContext().userId))
        m_devices->Append(quorvel::ui::gbkToUi(device->name), device);
    if (m_devices->GetCount() > 0) {
        m_devices->SetSelection(0);
        FillGroupList();
        if (m_groups->GetCount() > 0) {
            m_groups->SetSelection(0);
            OnGroupChanged();
        }
    }
    Layout();
    const wxRect r = ResultRect();
    m_list->SetSize(r);
    // A data-group change above has already given the plot its window.
    if (m_plot && !m_plotHasWindow) {
        m_plot->CreateWnd(this, r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1);
        m_plot->HideWnd();
    }
}

EMDevice* CViewQueryBase::SelectedDevice() const
{
    const int sel = m_devices->GetSelection();
    return sel == wxNOT_FOUND ? nullptr : static_cast<EMDevice*>(m_devices->GetClientData(sel));
}

EMDeviceGroup* CViewQueryBase::SelectedGroup() const
{
    const int sel = m_groups->GetSelection();
    return sel == wxNOT_FOUND ? nullptr : static_cast<EMDeviceGroup*>(m_groups->GetClientData(sel));
}

void CViewQueryBase::FillGroupList()
{
    m_groups->Clear();
    EMDevice* device = SelectedDevice();
    if (!device)
        return;
    for (EMDeviceGroup* group : EMDeviceGroup::getByDevice(device->id))
        m_groups->Append(quorvel::ui::gbkToUi(group->groupName), group);
}

void CViewQueryBase::SelectDevice(int index)
{
    m_devices->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, IDC_DEVICE);
    event.SetInt(index);
    event.SetEventObject(m_devices);
    ProcessWindowEvent(event);
}

void CViewQueryBase::SelectGroup(int index)
{
    m_groups->SetSelection(index);
    wxCommandEvent event(wxEVT_CHOICE, IDC_GROUP);
    event.SetInt(index);
    event.SetEventObject(m_groups);
    ProcessWindowEvent(event);
}

void CViewQueryBase::OnDeviceChange(wxCommandEvent&)
{
    FillGroupList();
    if (m_groups->GetCount() > 0) {
        m_groups->SetSelection(0);
        OnGroupChanged();
    }
}

void CViewQueryBase::OnGroupChange(wxCommandEvent&) { OnGroupChanged(); }

void CViewQueryBase::OnGroupChanged()
{
    EMDeviceGroup* group = SelectedGroup();
    if (!group)
        return;
    // A query still running belongs to the previous group: its rows are dropped.
    ++m_queryTicket;
    m_list->Freeze();
    ReplacePlot();
    m_list->ClearRows();
    m_list->DeleteAllColumns();

    const quorvel::ui::SeriesKind kind = CurrentKind();
    // 120 pixels fit the time label in the original dialog font; a larger
    // desktop font gets the room the label needs.
    const int timeWidth = std::max(120, m_list->GetTextExtent("2019-12-31 23:59:59").x + 16);
    std::vector<CLineColorListCtrl::ColumnDesc> columns{{0, "DataTime", timeWidth}};
    int index = 1;
    for (EMDeviceGroupItem* item : EMDeviceGroupItem::getByGroup(group->id)) {
        columns.push_back({index++, quorvel::ui::gbkToUi(item->c4), 100});
        if (m_plot && quorvel::ui::isPlotted(item->dataType, kind))
            m_plot->AddPlot(gbkToUtf8(item->c4).c_str(), gbkToUtf8(item->c3).c_str(), item->b4, 1000.0, 0.0,
                            false, false);
    }
    m_list->SetColumns(columns);
    if (m_plotPrepared && m_plot) {
        m_plot->InitPlots();
        if (m_mode == 1)
            m_plot->ShowWnd();
    }
    m_list->Thaw();
}

void CViewQueryBase::ReplacePlot()
{
    m_plot.reset(plotFactory().create());
    m_plotHasWindow = false;
    if (!m_plot)
        return;
    m_plotHasWindow = true;
    const wxRect r = ResultRect();
    m_plot->CreateWnd(this, r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1);
    m_plot->HideWnd();
    // The size handler places list and plot once the change is through.
    CallAfter([this] { LayoutResultArea(); });
}

wxRect CViewQueryBase::ResultRect() const
{
    const wxSize client = GetClientSize();
    const wxRect top = m_topRow->GetSize().y > 0 ? wxRect(m_topRow->GetPosition(), m_topRow->GetSize()) : wxRect();
    const int left = 10;
    const int y = top.GetBottom() + 10;
    const int width = std::max(10, client.x - kMarginRight - left);
    const int height = std::max(10, client.y - kMarginBottom - y);
    return wxRect(left, y, width, height);
}

void CViewQueryBase::LayoutResultArea()
{
    if (!m_list)
        return;
    const wxRect r = ResultRect();
    m_list->SetSize(r);
    if (m_plot)
        m_plot->MoveWnd(r.GetLeft(), r.GetTop(), r.GetRight() + 1, r.GetBottom() + 1);
}

void CViewQueryBase::OnSize(wxSizeEvent& event)
{
    Layout();
    LayoutResultArea();
    event.Skip();
}

void CViewQueryBase::OnQueryButton(wxCommandEvent&) { RunQuery(); }

// Enter runs the query, as the default button of the form does.
void CViewQueryBase::OnCharHook(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    // A focused push button keeps Enter for itself.
    const bool onButton = wxDynamicCast(wxWindow::FindFocus(), CButtonST) != nullptr;
    if ((key == WXK_RETURN || key == WXK_NUMPAD_ENTER) && !event.HasAnyModifiers() && !onButton
        && m_queryButton->IsEnabled()) {
        RunQuery();
        return;
    }
    event.Skip();
}

void CViewQueryBase::RunQuery()
{
    const std::time_t start = m_start->GetTime();
    const std::time_t end = m_end->GetTime();
    EMDeviceGroup* group = SelectedGroup();
    if (!group || m_queryRunning)
        return;
    BeforeQuery();
    const quorvel::ui::SeriesKind kind = CurrentKind();

    EMDevice* device = SelectedDevice();
    m_queryStart = start;
    m_queryEnd = end;
    m_queryDeviceUtf8 = device ? gbkToUtf8(device->name) : std::string();
    m_queryGroupUtf8 = gbkToUtf8(group->groupName);
    m_queryItemNamesUtf8.clear();
    for (EMDeviceGroupItem* item : EMDeviceGroupItem::getByGroup(group->id))
        m_queryItemNamesUtf8.push_back(gbkToUtf8(item->c4));

    // The record caches are read here, on the UI thread; the worker only
    // talks to the database (the pool is shared between threads).
    auto data = std::make_shared<EMDeviceData>(group);
    const unsigned ticket = ++m_queryTicket;
    if (m_worker.joinable())
        m_worker.join();
    SetBusy(true);
    QueryWork work = MakeQuery(kind);
    auto link = std::make_shared<WorkerLink>();
    link->target = this;
    m_workerLink = link;
    m_worker = std::thread([link, work, data, start, end, kind, ticket] {
        const auto t0 = std::chrono::steady_clock::now();
        auto outcome = std::make_shared<QueryOutcome>();
        outcome->ticket = ticket;
        auto rows = std::make_shared<DataRows>(work(*data, start, end));
        outcome->error = data->lastError();
        outcome->feed = quorvel::ui::buildPlotFeed(*rows, kind);
        outcome->rows = std::move(rows);
        outcome->queryMs = msBetween(t0, std::chrono::steady_clock::now());
        std::lock_guard<std::mutex> lock(link->mutex);
        if (link->target) {
            auto* event = new wxThreadEvent(EVT_QUERY_DONE);
            event->SetPayload(outcome);
            wxQueueEvent(link->target, event);
        }
        link->done = true;
        link->doneChanged.notify_all();
    });
}

void CViewQueryBase::OnQueryDone(wxThreadEvent& event)
{
    if (m_worker.joinable())
        m_worker.join();
    SetBusy(false);
    auto outcome = event.GetPayload<std::shared_ptr<QueryOutcome>>();
    if (!outcome || outcome->ticket != m_queryTicket)
        return;  // the group changed meanwhile: these rows no longer fit the columns
    if (!outcome->error.empty()) {
        // Said in the view's own message line, not in a modal box: the
        // operator may be watching another view.
        m_busyText->SetLabel(utf8ToUi(kQueryFailedLine));
        m_busyText->SetToolTip(wxString::FromUTF8(outcome->error));
        m_busyText->Show();
        Layout();
    }
    ApplyOutcome(*outcome);
}

void CViewQueryBase::ApplyOutcome(QueryOutcome& outcome)
{
    const auto t0 = std::chrono::steady_clock::now();
    m_lastQueryMs = outcome.queryMs;
    m_result = outcome.rows;
    m_list->Freeze();
    if (m_plot) {
        m_plot->ClearDatas();
        const auto& feed = outcome.feed;
        for (size_t i = 0; i < feed.times.size(); ++i) {
            const auto& t = feed.times[i];
            const double* values = feed.values.data() + i * static_cast<size_t>(feed.valuesPerRow);
            m_plot->AddDatas(t.year, t.month, t.day, t.hour, t.minute, t.second,
                             feed.valuesPerRow ? values : nullptr, feed.valuesPerRow);
        }
        m_plot->UpdateDatas();
    }
    m_list->SetRows(m_result);
    m_list->Thaw();
    m_lastFillMs = msBetween(t0, std::chrono::steady_clock::now());
}

void CViewQueryBase::SetBusy(bool busy)
{
    m_queryRunning = busy;
    m_busyText->SetLabel(utf8ToUi(kBusyLine));
    m_busyText->UnsetToolTip();
    m_queryButton->Enable(!busy);
    m_exportButton->Enable(!busy);
    m_busyGauge->Show(busy);
    m_busyText->Show(busy);
    if (busy) {
        SetCursor(wxCursor(wxCURSOR_ARROWWAIT));
        m_busyTimer.Start(100);
    } else {
        SetCursor(wxNullCursor);
        m_busyTimer.Stop();
    }
    Layout();
}

void CViewQueryBase::OnBusyTimer(wxTimerEvent&) { m_busyGauge->Pulse(); }

void CViewQueryBase::OnTableButton(wxCommandEvent&) { ShowTable(); }
void CViewQueryBase::OnCurveButton(wxCommandEvent&) { ShowCurves(); }
void CViewQueryBase::OnExportButton(wxCommandEvent&) { Export(); }

void CViewQueryBase::ShowTable()
{
    if (m_mode != 1)
        return;
    m_list->Show();
    if (m_plot)
        m_plot->HideWnd();
    m_mode = 0;
}

void CViewQueryBase::ShowCurves()
{
    if (m_mode == 1)
        return;
    if (!m_plotPrepared) {
        if (m_plot)
            m_plot->InitPlots();
        m_plotPrepared = true;
    }
    m_list->Hide();
    if (m_plot)
        m_plot->ShowWnd();
    m_mode = 1;
}

void CViewQueryBase::Export()
{
    if (m_list->GetItemCount() == 0 || m_queryRunning)
        return;
    const std::string proposed = ExportFileName(m_queryDeviceUtf8, m_queryGroupUtf8, m_queryStart, m_queryEnd);
    wxFileDialog dialog(this, wxEmptyString, wxEmptyString, wxString::FromUTF8(proposed), "(*.xls)|*.xls",
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return;
    // GTK reads the path from its chooser; the chosen folder and name are
    // kept by the dialog too when the chooser has none to give.
    wxString path = dialog.GetPath();
    if (path.empty() && !dialog.GetFilename().empty())
        path = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    if (path.empty())
        return;
    if (wxFileName(path).GetExt().empty())
        path += ".xls";  // the default extension

    const DataRows& rows = *m_result;
    std::unique_ptr<wxProgressDialog> progress;
    if (rows.size() >= kProgressFromRows)
        progress = std::make_unique<wxProgressDialog>(utf8ToUi("导出"), path, 1000, this,
                                                      wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE);
    const auto result = quorvel::ui::exportRowsToXls(
        path.ToStdString(wxConvUTF8), m_queryItemNamesUtf8, rows, [&](size_t done, size_t total) {
            if (!progress)
                return true;
            return progress->Update(static_cast<int>(total ? done * 1000 / total : 1000));
        });
    progress.reset();
    switch (result.status) {
    case quorvel::ui::SheetExportResult::Saved:
        Notify(utf8ToUi("导出成功！"), false);
        break;
    case quorvel::ui::SheetExportResult::Cancelled:
        break;
    case quorvel::ui::SheetExportResult::Failed:
        Notify(utf8ToUi("导出失败！\n") + path + "\n" + wxString::FromUTF8(result.error), true);
        break;
    }
}

void CViewQueryBase::Notify(const wxString& text, bool isError)
{
    wxMessageBox(text, wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(),
                 wxOK | (isError ? wxICON_ERROR : wxICON_INFORMATION), this);
}
