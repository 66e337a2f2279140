#pragma once

#include <QMainWindow>
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "lang/language_controller.h"
#include "model/axis_limits.h"
#include "model/channels.h"
#include "model/span_statistics.h"
#include "session/measurement.h"
#include "ui/time_marks.h"

class QAction;
class QColor;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QPainter;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QWidget;
class TChart;
class TChartSeries;
class TOrientationView;
class TStatisticsPanel;
class QCheckBox;
class TSaveDialog;
class TSlimTrackBar;
class TValueListEditor;
class tSeriesData;
class tDevice;
class tSettings;
class tMqttPublisher;
class tRecordJournal;
class tSeriesSink;
struct tRecordInfo;

// The main window. One class, its source split by concern: mainfm.cpp (frame, construction,
// closing), mainfm_actions.cpp (actions, menu, tool bar), mainfm_layout.cpp (pages, right panel,
// status bar, timers), mainfm_charts.cpp (the four charts), mainfm_session.cpp (connect, start,
// pause, stop, drain), mainfm_update.cpp (the enabling rules), mainfm_live.cpp (decoding and the
// live display), mainfm_ranges.cpp (relative readings and sensor ranges).
//
// The measurement itself is a tMeasurement of the window's own; the window listens to it and
// draws what it hands over.
//
// Components are public members named as in the window definition, and each one's objectName
// is its name, so that the other parts of the window and the tests can reach them.
class TfmMain : public QMainWindow, private tMeasurementListener {
    Q_OBJECT
public:
    // programPath: the executable's full path; the settings file is beside it with ".cfg".
    // languages: the manager of the interface languages; the process's one when null.
    explicit TfmMain(const QString& programPath, QWidget* parent = nullptr,
                     tLanguageManager* languages = nullptr);
    ~TfmMain() override;

    tSettings* Settings() const { return settings_.get(); }
    const QString& ProgramPath() const { return programPath_; }
    // The measurement of the window's ball.
    tMeasurement& Measurement() const { return *session_; }
    // The connected ball, or null.
    tDevice* Device() const { return session_->Device(); }
    bool IsConnected() const { return session_->IsConnected(); }
    bool IsMeasuring() const { return session_->IsMeasuring(); }

    // A second start asked for this window: restore it and bring it to the front.
    void RestoreFromOtherInstance();

    // A signal asks the program to end: the measurement ends with every line received and an
    // event that names the signal (`name`), and the window closes without a question.
    void EndBySignal(const QString& name);

    // The exit question; true when the window may close.
    bool FormCloseQuery();
    // The session is about to end: no question on closing, and the answer is yes.
    bool QueryEndSession();
    // The session ends (true: the window closes) or the end was cancelled (the question is
    // installed again).
    void EndSession(bool ending);

    // Evaluates every action's enabling rule, as the idle handler does.
    void UpdateActions();

    // --- session (mainfm_session.cpp)
    void ConnectDevice();
    void DisconnectDevice();
    void acDeviceConnectExecute();
    void acDeviceConnectUpdate();
    void acDeviceStartExecute();
    void acDeviceStartUpdate();
    void acDevicePauseExecute();
    void acDevicePauseUpdate();
    void acDeviceStopExecute();
    void acDeviceStopUpdate();
    void tmStartTimer();
    void acFileExitExecute();
    void acViewToolBarExecute();
    void acViewStatusBarExecute();
    void tlbMainDblClick() {}

    // --- enabling rules of the actions that other parts of the window run
    void acViewChooseCoordUpdate();
    void acDeviceCalibrateUpdate();
    void acDeviceAccCalibrateUpdate();
    void acFileSetZeroMarkerUpdate();
    void acFileMarkPointUpdate();
    void acFileShowAllUpdate();
    void acFileExportUpdate();

    // --- live display (mainfm_live.cpp)
    // One chunk as the drain hands it over, decoded by the measurement and shown.
    void DecodeChunk(const char* bytes, int length) { session_->DecodeChunk(bytes, length); }
    void PrepareLiveChart(TChart* chart);
    // A new record's time base: the ball's clock unlearned, no marks, the line counts at zero.
    void ResetLinkHealth();
    // Undoes EnableChartReview: no zoom, pan, clicks or marker lines while samples come.
    void EndChartReview(TChart* chart);
    void EnableChartReview(TChart* chart);
    void ScrollTimeAxis(TChart* chart, double time);
    void chSeriesClickCheck(QListWidgetItem* item);
    void chAllGetLegendText(TChart* chart, QString& text, int index);
    // Repaints the chart of the page the user sees (the others are brought up to date when
    // their page is shown).
    void RepaintVisibleChart();
    // The same for a live tick: the series alone while the axes stay where they were.
    void RepaintLiveChart();

    // --- relative readings and ranges (mainfm_ranges.cpp); the readings themselves are taken
    // relative inside the decoder, for the channels checked in pmZero.
    void acViewChooseCoordExecute();
    void cbAccChange();
    void cbGyroChange();

    // --- motor (mainfm_motor.cpp), calibration and battery (mainfm_battery.cpp), clock and
    // automatic switch-off (mainfm_clock.cpp)
    void trMotorChange(QObject* Sender);
    void bbPulseClick();
    void acDeviceCalibrateExecute();
    void acDeviceAccCalibrateExecute();
    void tmBatteryTimer();
    void tmTimeTimer();
    void stbMainResize();

    // --- review of a stopped record (mainfm_review.cpp) and the export (mainfm_export.cpp)
    void chAccGyroClick(TChart* Sender);
    void chAccGyroAfterDraw(TChart* Sender, QPainter& painter);
    void SerieGetMarkText(const TChartSeries* Sender, int ValueIndex, QString& MarkText) const;
    void DrawMarkerLine(TChartSeries* series, int index, const QColor& colour, QPainter& painter);
    void ToggleMarks(TChart* chart);
    void acFileMarkPointExecute();
    void acFileShowAllExecute();
    void acFileExportExecute();
    // The save dialog of the export (a QFileDialog); it lives as long as the window.
    TSaveDialog* sd = nullptr;
    // Its check box that asks for the statistics file beside the data; off at first.
    QCheckBox* cbExportStatistics = nullptr;
    // Its check box for the events file beside the data, shown when the record has marks; on
    // at first.
    QCheckBox* cbExportEvents = nullptr;
    // Moves the cursor (or the time origin) to the sample at `index`, as a click on it does.
    void SetReviewMarker(int index, bool origin);

    // --- event marks (mainfm_marks.cpp): "now" marked while measuring, with a label
    void acDeviceMarkExecute();
    void acDeviceMarkUpdate();
    void acDeviceMarkLabelExecute();
    void acDeviceMarkLabelUpdate();
    // Asks for the label of mark `number` without stopping anything ("dlgMarkLabel").
    void AskMarkLabel(int number);
    // The labels used last, the newest first.
    QStringList RecentMarkLabels() const;
    // The marks of the record the window shows: the running one's, or an opened journal's.
    const tEventMarks& EventMarks() const { return eventMarks_; }
    // A new or relabelled mark of the shown record, and all the marks of a record.
    void ShowEventMark(const tEventMark& mark);
    void SetEventMarks(const tEventMarks& marks);
    QAction* acDeviceMark = nullptr;
    QAction* acDeviceMarkLabel = nullptr;
    QLabel* lbEventMarks = nullptr;
    // One item per mark, in time order; an item's Qt::UserRole is the mark's number.
    QListWidget* lwEventMarks = nullptr;

    // --- analysis (mainfm_analysis.cpp): the statistics between origin and cursor and the
    // orientation view
    // Brings the statistics and the orientation view up to the record, the markers, the
    // visible channels and the page in view.
    void RefreshAnalysis();
    // The orientation view shows the sample at `index` (nothing happens for a sample that the
    // record does not hold).
    void ShowOrientationAt(int index);
    void acViewOrientationExecute();
    // The channels whose statistics the table shows: the visible ones of the page in view.
    QVector<int> StatisticsChannels() const;
    QAction* acViewOrientation = nullptr;
    TStatisticsPanel* pnStatistics = nullptr;
    TOrientationView* pbOrientation = nullptr;

    // --- the recording journal (mainfm_journal.cpp), opening a recording (mainfm_open.cpp)
    // A time-stamped event line in the running measurement's journal; nothing without one.
    void JournalEvent(const QString& kind, const QString& detail) {
        session_->JournalEvent(kind, detail);
    }
    // The journal of the running measurement, or null.
    const tRecordJournal* Journal() const { return session_->Journal(); }
    // The folder of the journals: the setting "RecordFolder", or the default one.
    QString RecordFolder() const { return session_->RecordFolder(); }
    void acFileOpenExecute();
    void acFileOpenUpdate();
    // Makes a journal or an exported file the current stopped record. On bad input an error box
    // names the file and the line, and the current record stays as it was.
    bool OpenRecordFile(const QString& path);
    // Offers to restore the newest journal that a crash left; runs once the window is shown.
    void OfferRecovery();

    // --- interface language and the about window (mainfm_language.cpp)
    tLanguageManager& Languages() const;
    void ApplyLanguage(int index);
    void miChangeLanguage(QObject* Sender);
    void LangControllerLanguageChanged();
    void acHelpAboutExecute();
    // The text of a translatable ID as its component holds it now; "" for an unknown ID.
    QString WindowText(int id) const;
    std::unique_ptr<tLanguageController> LangController;

    // --- link health (mainfm_link.cpp): a lost ball, the watch for its return, lost lines and
    // restarts of the ball's clock.
    // Every event of the link (loss, reconnect, gap, restart, the counts at Stop) goes here.
    void NoteLinkEvent(const QString& kind, const QString& detail) {
        session_->NoteLinkEvent(kind, detail);
    }
    bool IsWatchingForBall() const { return session_->IsWatchingForBall(); }
    // The record's time base; its counts are those of the running or last measurement.
    const tSampleClock& SampleClock() const { return session_->Clock(); }
    long long DamagedLines() const { return session_->DamagedLines(); }
    // The restart and gap marks of the charts.
    const tTimeMarks& TimeMarks() const { return timeMarks_; }
    // A notice over the charts (a lost, returned or restarted ball); hidden without one.
    QLabel* lbLinkNotice = nullptr;
    // The lost and damaged lines of the measurement, in the status bar.
    QLabel* lbLostLines = nullptr;

    // The four charts in the order the session steps visit them.
    QVector<TChart*> Charts() const;
    // The master series of a channel (0..8).
    TChartSeries* MasterSeries(int channel) const;
    // Status panel 0..4.
    QLabel* StatusPanel(int index) const;

    // Members of the window state.
    int DevTime = -1;
    int OffTimeElapsed = -1;
    int ZeroMarkerIndex = 0;
    int CursorIndex = 0;
    double ZeroRef[kChannelCount] = {};

    // Actions (alMain).
    QAction* acDeviceConnect = nullptr;
    QAction* acDeviceStart = nullptr;
    QAction* acDevicePause = nullptr;
    QAction* acDeviceStop = nullptr;
    QAction* acDeviceCalibrate = nullptr;
    QAction* acDeviceAccCalibrate = nullptr;
    QAction* acDeviceSettings = nullptr;
    QAction* acFileSetZeroMarker = nullptr;
    QAction* acFileMarkPoint = nullptr;
    QAction* acFileShowAll = nullptr;
    QAction* acFileExport = nullptr;
    QAction* acFileOpen = nullptr;
    QAction* acFileExit = nullptr;
    QAction* acViewChooseCoord = nullptr;
    QAction* acViewToolBar = nullptr;
    QAction* acViewStatusBar = nullptr;
    QAction* acHelpAbout = nullptr;

    // Menus.
    QMenuBar* mmMain = nullptr;
    QMenu* miFile = nullptr;
    QMenu* miFileLanguage = nullptr;
    QAction* miFileSeparator1 = nullptr;
    QMenu* miView = nullptr;
    QMenu* miDevice = nullptr;
    QMenu* miHelp = nullptr;
    QMenu* pmZero = nullptr;
    // The nine channel items of pmZero, in channel order (miAccX .. miYaw).
    QAction* pmZeroItems[kChannelCount] = {};

    // Tool bar.
    QToolBar* tlbMain = nullptr;
    QToolButton* tbViewChooseCoord = nullptr;
    QComboBox* cbAcc = nullptr;
    QComboBox* cbGyro = nullptr;
    QLabel* lbTime = nullptr;

    // Pages and charts.
    QTabWidget* pcChart = nullptr;
    QWidget* tsAccGyro = nullptr;
    QWidget* tsAccAng = nullptr;
    QWidget* tsGyroAng = nullptr;
    QWidget* TabSheet2 = nullptr;
    TChart* chAll = nullptr;
    TChart* chAccGyro = nullptr;
    TChart* chAccAng = nullptr;
    TChart* chGyroAng = nullptr;

    // Right panel and bottom.
    QWidget* Panel1 = nullptr;
    TValueListEditor* vleData = nullptr;
    QListWidget* chSeries = nullptr;
    TValueListEditor* vlePulse = nullptr;
    QPushButton* bbPulse = nullptr;
    TSlimTrackBar* trMotor = nullptr;
    QLabel* lbMotor = nullptr;
    QStatusBar* stbMain = nullptr;

    // Timers.
    QTimer* tmTime = nullptr;
    QTimer* tmStart = nullptr;
    QTimer* tmBattery = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    using tHandler = void (TfmMain::*)();

    void FormCreate();
    // Layout (mainfm_actions.cpp, mainfm_layout.cpp, mainfm_charts.cpp).
    void CreateActions();
    QAction* MakeAction(const char* name, const char* category, const QString& caption,
                        const QString& hint, int image);
    void BindActions();
    void BindAction(QAction* action, tHandler update, tHandler execute);
    void RunAction(QAction* action, tHandler update, tHandler execute);
    void CreateMenus();
    void LinkMenuItem(QMenu* menu, QAction* action, const char* name);
    void CreateToolBar();
    void CreateZeroMenu();
    void CreateChooseCoordButton();
    void CreateRangeLists();
    void CreatePages();
    void CreateCharts();
    void CreateMasterChart();
    void CreatePageChart(TChart* chart, const int (&channels)[6], const QString (&titles)[3]);
    void CreateRightPanel();
    void CreateBottom();
    void CreateStatusBar();
    void CreateTimers();
    void InstallIdleHandler();
    // The steps of Stop, shared by the disconnect and the close during a measurement.
    void StopMeasurement();
    // Moves every chart's time axis and the value table to the last sample of a chunk.
    void ShowChunkEnd(float time);
    // The nine channel rows of the value table from the sample at `index`.
    void ShowChannelRows(int index);
    void AppendSample(const tSample& sample);
    void ApplyStartLimits();
    void ApplyVerticalLimits(const tAxisLimits& acc, const tAxisLimits& gyro);
    // What the measurement tells the window (mainfm_live.cpp, mainfm_link.cpp, mainfm_session.cpp,
    // mainfm_ranges.cpp, mainfm_battery.cpp, mainfm_journal.cpp).
    void MeasurementStarted() override;
    void ChunkDecoded(const tChunkResult& chunk) override;
    void ChunksDrained() override;
    void GapPlaced(double from, double to) override;
    void RestartPlaced(double at) override;
    void MeasurementStopped() override;
    void BallLost(double at) override;
    void BallReturned(bool continues) override;
    void MeasurementContinued(double from) override;
    void BatteryRead(int level) override;
    void RangeApplied(bool acceleration, int b, const tAxisLimits& limits) override;
    void JournalOpened(const QString& path) override;
    void JournalFailed(const QString& reason) override;
    void MarkPlaced(const tEventMark& mark) override;
    void MarkLabelled(const tEventMark& mark) override;
    // A record that was read from a file, shown as a record just stopped.
    void InstallRecord(tSeriesSink& sink, const tRecordInfo& info);
    // A record to review: one that streamed from the connected ball, or one opened from a file.
    // A record to review: the ball's, one opened from a file, or the one a lost ball left.
    bool HasReviewRecord() const { return IsConnected() || openedRecord_ || lostRecordKept_; }
    // Motor, battery and clock: their components' signals to their handlers.
    void ConnectMotor();
    void ConnectBattery();
    void ConnectClock();
    // Review and export: which series show callouts, drawing them, and the save dialog.
    void SetUpMarkCallouts();
    void DrawMarkCallouts(TChart* chart, QPainter& painter) const;
    void CreateSaveDialog();
    // Link health (mainfm_link.cpp).
    void CreateLinkHealth();
    // Sending over MQTT (mainfm_network.cpp).
    void CreateNetwork();
    void acFileNetworkExecute();
    void ShowNetwork();
    QAction* acFileNetwork = nullptr;
    QLabel* lbNetwork = nullptr;
    // No gap or restart marks, no notice, the line counts of the new record shown.
    void ClearLinkMarks();
    bool CancelBallWatch();
    void ShowLostLines();
    void ShowLinkNotice(const QString& text);
    void CreateAnalysis();
    void CreateEventMarks();
    void RetranslateEventMarks();
    void ClearEventMarks();
    void RedrawEventMarks();
    void RetranslateMarkItems();
    void ShowEventMarkMenu(const QPoint& at);
    void SetReviewMarkerAtMark(QListWidgetItem* item, bool origin);
    void ApplyMarkLabel(int number, const QString& typed);
    // The time rows of the value table and the analysis, after a marker moved.
    void ShowReviewMarkers();
    void ApplyAnalysisSettings();
    void RetranslateAnalysis();

    // Interface language: the set-up of FormCreate, the texts bound to their components and
    // the language menu (mainfm_language.cpp).
    void SetUpLanguage();
    void BindWindowTexts();
    void CreateLanguageMenu(int checked);
    void SelectDesignedRanges();
    tLanguageManager* languages_ = nullptr;
    int languageChecked_ = -1;
    QHash<int, std::function<QString()>> windowTextReaders_;

    QString programPath_;
    std::unique_ptr<tSettings> settings_;
    // The ball's measurement; the channels it reads relatively are those checked in pmZero.
    std::unique_ptr<tMeasurement> session_;
    // Sends the measurement to a broker when the settings name one; goes before the session.
    std::unique_ptr<tMqttPublisher> mqtt_;
    tTimeMarks timeMarks_;
    tEventMarks eventMarks_;
    // The record of a lost ball stays open to review until the next connect or disconnect.
    bool lostRecordKept_ = false;
    // The value table's rows of the channels, as found at its rows' version.
    int channelRows_[kChannelCount] = {};
    int channelRowsVersion_ = -1;
    // The master series' points, in channel order; the containers live as long as the charts.
    tSeriesData* masterPoints_[kChannelCount] = {};
    // The statistics table's summaries of the record, made anew when the record is cleared.
    tSpanStatistics statistics_;
    bool askOnClose_ = true;
    bool connecting_ = false;
    // The enabling rules, in the order the idle handler runs them.
    QVector<tHandler> updates_;
    QLabel* stbPanels_[5] = {};
    // The status bar says that the measurement is not being saved.
    bool journalNoticeShown_ = false;
    bool openedRecord_ = false;
    bool recoveryChecked_ = false;
};
