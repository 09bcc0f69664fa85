#include "ui/ViewQueryBase.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

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
#include <wx/wrapsizer.h>

#include <curvella/CoordsSysEngine.h>

#include "app/TextCodec.h"
#include "db/EMDevice.h"
#include "db/EMDeviceGroup.h"
#include "db/EMDeviceGroupItem.h"
#include "db/EMUserDevice.h"
#include "ui/model/CsvExport.h"
#include "ui/model/ExportTarget.h"
#include "ui/model/QueryColumns.h"
#include "db/ConnectionPool.h"
#include "ui/MeterButton.h"
#include "ui/MessageBox.h"
#include "ui/ResultList.h"
#include "ui/model/ResultPlotRows.h"
#include "ui/model/SheetExport.h"
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
struct CViewQueryBase::QueryOutcome : quorvel::ui::QueryResult {
    unsigned ticket = 0;
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
      m_queryCaption(queryCaption), m_plot(plotFactory().create())
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
    // The query controls wrap onto a second row when the view is too narrow
    // for one (a 1024-pixel screen), so the last buttons stay reachable.
    m_topRow = new wxWrapSizer(wxHORIZONTAL, wxREMOVE_LEADING_SPACES);
    auto label = [this](const char* utf8) { return new wxStaticText(this, wxID_ANY, utf8ToUi(utf8)); };
    const int gap = 6;

    m_topRow->Add(label("设备"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_devices = new CDevicePicker(this, IDC_DEVICE, wxDefaultPosition, wxSize(150, -1));
    m_topRow->Add(m_devices, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);
    // Hidden (taking no room) unless the user has many devices.
    m_topRow->Add(m_devices->GetFilterBox(), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 2 * gap);
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

    // The push buttons wrap together, as one group.
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    auto button = [&](int id, const char* utf8) {
        auto* b = new CMeterButton(this, id, utf8ToUi(utf8), wxDefaultPosition, wxSize(64, 30));
        buttons->Add(b, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
        return b;
    };
    m_queryButton = new CMeterButton(this, queryButtonId, queryCaption, wxDefaultPosition, wxSize(64, 30));
    buttons->Add(m_queryButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, gap);
    m_tableButton = button(IDC_TABLE, "表格");
    m_curveButton = button(IDC_CURVE, "曲线");
    m_exportButton = button(IDC_EXPORT, "导出");
    m_topRow->Add(buttons, 0, wxALIGN_CENTER_VERTICAL);

    m_busyGauge = new wxGauge(this, wxID_ANY, 100, wxDefaultPosition, wxSize(80, 12));
    m_busyText = label(kBusyLine);
    m_topRow->Add(m_busyGauge, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    m_topRow->Add(m_busyText, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, gap);
    m_busyGauge->Hide();
    m_busyText->Hide();

    top->Add(m_topRow, 0, wxALL | wxEXPAND, 10);
    SetSizer(top);

    m_list = new CResultList(this, IDC_RESULT);
}

void CViewQueryBase::AddOptionControls(wxWindow*, wxBoxSizer*) {}

void CViewQueryBase::OnInitialUpdate()
{
    CViewBase::OnInitialUpdate();
    for (CMeterButton* b : {m_queryButton, m_tableButton, m_curveButton, m_exportButton})
        b->SetMeterColorScheme();

    std::vector<CDevicePicker::Entry> entries;
    for (EMDevice* device : EMUserDevice::getDevicesByUser(GetContext().userId))
        entries.push_back({quorvel::ui::gbkToUi(device->name), device});
    m_devices->SetEntries(std::move(entries));
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
    m_result.reset();  // its cells no longer fit the columns
    m_list->DeleteAllColumns();

    // The time column is as wide as the time label in the desktop's font
    // needs, and never narrower than a small font needs.
    const int timeWidth = quorvel::ui::timeColumnWidth(m_list->GetTextExtent("2019-12-31 23:59:59").x);
    const quorvel::ui::QueryColumns shown =
        quorvel::ui::queryColumns(EMDeviceGroupItem::getByGroup(group->id), CurrentKind(), timeWidth);
    std::vector<CLineColorListCtrl::ColumnDesc> columns;
    for (const quorvel::ui::TableColumn& column : shown.table)
        columns.push_back({column.index, quorvel::ui::gbkToUi(column.titleGbk), column.width});
    if (m_plot) {
        for (const quorvel::ui::CurveSeries& curve : shown.curves)
            m_plot->AddPlot(curve.nameUtf8.c_str(), curve.unitUtf8.c_str(), curve.colour, 1000.0, 0.0, false,
                            false);
    }
    m_list->SetColumns(columns);
    if (m_plotPrepared && m_plot) {
        m_plot->InitPlots();
        if (m_mode == quorvel::ui::ResultMode::Curves)
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
    m_queryGroupId = group->id;

    // The last result goes now, not when the next one is complete: two
    // results of millions of rows are never held side by side.
    m_result.reset();
    m_list->ClearRows();
    if (m_plot)
        m_plot->ClearDatas();

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
        auto outcome = std::make_shared<QueryOutcome>();
        outcome->ticket = ticket;
        static_cast<quorvel::ui::QueryResult&>(*outcome) = quorvel::ui::runQuery(work, *data, start, end, kind);
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
        // Said in the view's own message line, which stays while the
        // operator watches another view; ApplyOutcome adds a box with the
        // reason when this view is on screen.
        m_busyText->SetLabel(utf8ToUi(kQueryFailedLine));
        m_busyText->SetToolTip(quorvel::ui::gbkToUi(outcome->error));
        m_busyText->Show();
        Layout();
        LayoutResultArea();
    }
    ApplyOutcome(*outcome);
}

void CViewQueryBase::ApplyOutcome(QueryOutcome& outcome)
{
    const auto t0 = std::chrono::steady_clock::now();
    m_lastQueryMs = outcome.queryMs;
    // A failed query leaves table and curves empty (nothing left to
    // export) and says why. Table and plot read the store in place: nothing
    // here grows with the row count but the plot's first window.
    m_result = outcome.rows;
    m_list->Freeze();
    if (m_plot)
        m_plot->SetDatas(outcome.plotRows);
    m_list->SetRows(m_result);
    m_list->Thaw();
    m_lastFillMs = msBetween(t0, std::chrono::steady_clock::now());
    // A modal box only where the operator looks: one popping up over the
    // realtime view would stop the live screen until it is answered.
    if (!outcome.error.empty() && IsShownOnScreen())
        Notify(utf8ToUi("查询失败！\n") + quorvel::ui::gbkToUi(outcome.error), true);
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
    // The gauge may have started or ended a row of the controls.
    LayoutResultArea();
}

void CViewQueryBase::OnBusyTimer(wxTimerEvent&) { m_busyGauge->Pulse(); }

void CViewQueryBase::OnTableButton(wxCommandEvent&) { ShowTable(); }
void CViewQueryBase::OnCurveButton(wxCommandEvent&) { ShowCurves(); }
void CViewQueryBase::OnExportButton(wxCommandEvent&) { Export(); }

void CViewQueryBase::ShowTable()
{
    if (m_mode != quorvel::ui::ResultMode::Curves)
        return;
    m_list->Show();
    if (m_plot)
        m_plot->HideWnd();
    m_mode = quorvel::ui::ResultMode::Table;
}

void CViewQueryBase::ShowCurves()
{
    if (m_mode == quorvel::ui::ResultMode::Curves)
        return;
    if (!m_plotPrepared) {
        if (m_plot)
            m_plot->InitPlots();
        m_plotPrepared = true;
    }
    m_list->Hide();
    if (m_plot)
        m_plot->ShowWnd();
    m_mode = quorvel::ui::ResultMode::Curves;
}

void CViewQueryBase::Export()
{
    if (m_list->GetItemCount() == 0 || m_queryRunning)
        return;
    const std::string proposed = ExportFileName(m_queryDeviceUtf8, m_queryGroupUtf8, m_queryStart, m_queryEnd);
    wxFileDialog dialog(this, wxEmptyString, wxEmptyString, wxString::FromUTF8(proposed),
                        "(*.xls)|*.xls|(*.csv)|*.csv", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    dialog.SetFilterIndex(quorvel::ui::kXlsFilterIndex);
    if (dialog.ShowModal() != wxID_OK)
        return;
    // GTK reads the path from its chooser; the chosen folder and name are
    // kept by the dialog too when the chooser has none to give.
    wxString path = dialog.GetPath();
    if (path.empty() && !dialog.GetFilename().empty())
        path = wxFileName(dialog.GetDirectory(), dialog.GetFilename()).GetFullPath();
    const std::optional<quorvel::ui::ExportTarget> chosen =
        quorvel::ui::exportTarget(path.ToStdString(wxConvUTF8), dialog.GetFilterIndex());
    if (!chosen || !m_result)
        return;
    path = wxString::FromUTF8(chosen->path);
    const bool csv = chosen->csv;

    // The header row names the items as they are now: a name edited in the
    // data point view since the query is exported as edited.
    const std::vector<std::string> itemNames =
        quorvel::ui::exportItemNames(EMDeviceGroupItem::getByGroup(m_queryGroupId));
    const quorvel::ui::StoreCells rows(*m_result);
    std::unique_ptr<wxProgressDialog> progress;
    if (rows.rowCount() >= kProgressFromRows) {
        progress = std::make_unique<wxProgressDialog>(utf8ToUi("导出"), path, 1000, this,
                                                      wxPD_APP_MODAL | wxPD_CAN_ABORT | wxPD_AUTO_HIDE);
        // The toolkit would label it from the desktop's language.
        if (wxWindow* cancel = progress->FindWindow(wxID_CANCEL))
            cancel->SetLabel(utf8ToUi("取消"));
    }
    auto report = [&](size_t done, size_t total) {
        if (!progress)
            return true;
        return progress->Update(static_cast<int>(total ? done * 1000 / total : 1000));
    };
    const std::string& target = chosen->path;
    const auto result = csv ? quorvel::ui::exportCellsToCsv(target, itemNames, rows, report)
                            : quorvel::ui::exportCellsToXls(target, itemNames, rows, report);
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
    quorvel::ui::ShowMessageBox(text, wxTheApp ? wxTheApp->GetAppDisplayName() : wxString(),
                                wxOK | (isError ? wxICON_ERROR : wxICON_INFORMATION), this);
}
