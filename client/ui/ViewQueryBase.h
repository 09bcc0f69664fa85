#pragma once
// What the history and statistics views share: device and data group lists,
// start/end pickers, the query run in the background, the result as a
// virtual table or as curves of a plot object (both reading one compact
// store), and the export to .xls or CSV.
// The two views add their query, their curves rule and their file name.
#include <atomic>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <wx/timer.h>

#include "db/EMDeviceData.h"
#include "db/ResultStore.h"
#include "ui/DevicePicker.h"
#include "ui/model/QueryRun.h"
#include "ui/model/ResultMode.h"
#include "ui/model/ResultSeries.h"
#include "ui/ViewBase.h"

class CoordsSysEngine;
class CMeterButton;
class CResultList;
class CTimePickerText;
class EMDevice;
class wxBoxSizer;
class wxChoice;
class wxGauge;
class wxStaticText;
class wxThreadEvent;
struct EMDeviceGroup;

class CViewQueryBase : public CViewBase {
public:
    // Control ids of the controls both views have (tests reach them by id).
    static constexpr int IDC_DEVICE = 1000;
    static constexpr int IDC_GROUP = 1032;
    static constexpr int IDC_START = 1028;
    static constexpr int IDC_END = 1029;
    static constexpr int IDC_TABLE = 1031;
    static constexpr int IDC_CURVE = 1068;
    static constexpr int IDC_EXPORT = 1069;
    static constexpr int IDC_RESULT = 1026;

    // How plot objects are made and released (the plot library's factory by
    // default; tests put a recording plot around it). Set before views exist.
    struct PlotFactory {
        std::function<CoordsSysEngine*()> create;
        std::function<void(CoordsSysEngine*)> release;
    };
    static void SetPlotFactory(PlotFactory factory);
    static PlotFactory DefaultPlotFactory();

    ~CViewQueryBase() override;

    // The buttons' actions (also reached through the buttons' events).
    void RunQuery();
    void ShowTable();
    void ShowCurves();
    void Export();

    bool IsQueryRunning() const { return m_queryRunning; }
    // The message line beside the query button: "查询中…" while a query runs,
    // the failure after a query the database could not answer, else hidden.
    wxString GetMessageLine() const;
    quorvel::ui::ResultMode GetMode() const { return m_mode; }
    bool IsPlotPrepared() const { return m_plotPrepared; }
    CoordsSysEngine* GetPlot() const { return m_plot.get(); }
    CResultList* GetResultList() const { return m_list; }
    // The last result (null while a query runs and before the first).
    const ResultStore* GetResult() const { return m_result.get(); }
    CTimePickerText* GetStartPicker() const { return m_start; }
    CTimePickerText* GetEndPicker() const { return m_end; }
    // Time the last query spent in the database and preparing its rows, and
    // in filling table and plot afterwards (milliseconds).
    double GetLastQueryMs() const { return m_lastQueryMs; }
    double GetLastFillMs() const { return m_lastFillMs; }

    // Selects a list entry as the user would, running its change handler.
    void SelectDevice(int index);
    void SelectGroup(int index);

protected:
    CViewQueryBase(wxWindow* parent, wxWindowID id, const ViewContext& context, int queryButtonId,
                   const wxString& queryCaption);

    // Creates the controls; each view calls it at the end of its constructor
    // (so that its AddOptionControls is the one called).
    void BuildControls();
    void OnInitialUpdate() override;

    // Puts the view's own controls (the statistics period) among the query
    // controls at the top (a row that wraps when the view is narrow).
    virtual void AddOptionControls(wxWindow* parent, wxBoxSizer* row);
    // Called on the UI thread when a query starts: fixes what the query
    // needs from the controls (the statistics period).
    virtual void BeforeQuery() {}
    // The rows kind the next/last query produces.
    virtual quorvel::ui::SeriesKind CurrentKind() const = 0;
    // The query to run, made on the UI thread and run on a worker thread;
    // it must not reach into the view.
    using QueryWork = quorvel::ui::QueryWork;
    virtual QueryWork MakeQuery(const quorvel::ui::SeriesKind& kind) const = 0;
    // Proposed export file name (UTF-8) for the last query's range.
    virtual std::string ExportFileName(const std::string& deviceUtf8, const std::string& groupUtf8,
                                       std::time_t start, std::time_t end) const = 0;

private:
    struct QueryOutcome;
    struct WorkerLink;
    struct PlotRelease {
        void operator()(CoordsSysEngine* plot) const;
    };

    void FillGroupList();
    void OnGroupChanged();
    void ReplacePlot();
    void LayoutResultArea();
    wxRect ResultRect() const;
    void ApplyOutcome(QueryOutcome& outcome);
    void SetBusy(bool busy);
    void Notify(const wxString& text, bool isError);

    EMDevice* SelectedDevice() const;
    EMDeviceGroup* SelectedGroup() const;

    void OnSize(wxSizeEvent& event);
    void OnQueryButton(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnDeviceChange(wxCommandEvent& event);
    void OnGroupChange(wxCommandEvent& event);
    void OnTableButton(wxCommandEvent& event);
    void OnCurveButton(wxCommandEvent& event);
    void OnExportButton(wxCommandEvent& event);
    void OnQueryDone(wxThreadEvent& event);
    void OnBusyTimer(wxTimerEvent& event);

    CDevicePicker* m_devices = nullptr;
    wxChoice* m_groups = nullptr;
    CTimePickerText* m_start = nullptr;
    CTimePickerText* m_end = nullptr;
    CMeterButton* m_queryButton = nullptr;
    CMeterButton* m_tableButton = nullptr;
    CMeterButton* m_curveButton = nullptr;
    CMeterButton* m_exportButton = nullptr;
    wxGauge* m_busyGauge = nullptr;
    wxStaticText* m_busyText = nullptr;
    wxBoxSizer* m_topRow = nullptr;
    CResultList* m_list = nullptr;
    wxTimer m_busyTimer;
    int m_queryButtonId;
    wxString m_queryCaption;

    std::unique_ptr<CoordsSysEngine, PlotRelease> m_plot;
    bool m_plotHasWindow = false;
    quorvel::ui::ResultMode m_mode = quorvel::ui::ResultMode::Table;
    bool m_plotPrepared = false;
    std::shared_ptr<const ResultStore> m_result;

    // The range and names of the last query, for the export.
    std::time_t m_queryStart = 0;
    std::time_t m_queryEnd = 0;
    std::string m_queryDeviceUtf8;
    std::string m_queryGroupUtf8;
    std::string m_queryGroupId;  // em_device_group.id of the last query's group

    std::thread m_worker;
    std::shared_ptr<WorkerLink> m_workerLink;  // how the worker reaches the view, and says it is done
    bool m_queryRunning = false;
    unsigned m_queryTicket = 0;  // bumped when a result would no longer fit the view
    double m_lastQueryMs = 0;
    double m_lastFillMs = 0;

    wxDECLARE_EVENT_TABLE();
};
