#include "ui/mainfm.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSessionManager>
#include <QTabWidget>
#include <QTimer>

#include "app/file_locations.h"
#include "app/int_conversion.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "net/mqtt_publisher.h"
#include "ui/chart.h"

namespace {
int BatteryInterval(const tSettings& settings) {
    const int seconds = StrToIntDef(settings.GetSettingByName(QStringLiteral("BatteryUpdate")), 2);
    return seconds < 1 ? 2000 : seconds * 1000;
}
}  // namespace

TfmMain::TfmMain(const QString& programPath, QWidget* parent, tLanguageManager* languages)
    : QMainWindow(parent),
      programPath_(programPath),
      settings_(std::make_unique<tSettings>(false)),
      session_(std::make_unique<tMeasurement>(settings_.get(), programPath)) {
    setObjectName(QStringLiteral("fmMain"));
    session_->AddListener(this);
    languages_ = languages;
    // The window definition: every component exists before the settings are read.
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreatePages();
    CreateCharts();
    CreateRightPanel();
    CreateBottom();
    CreateStatusBar();
    CreateTimers();
    // Motor, battery and clock.
    ConnectMotor();
    ConnectBattery();
    ConnectClock();
    // Review of a stopped record and the export.
    SetUpMarkCallouts();
    CreateSaveDialog();
    CreateAnalysis();
    // After the analysis strip, which finds the chart row first in the central layout.
    CreateLinkHealth();
    CreateEventMarks();

    setWindowTitle(QStringLiteral("Mirelvane"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/mirelvane.svg")));
    settings_->Load(tFileLocations(programPath).PrepareSettingsFile());
    ApplyAnalysisSettings();
    lbTime->setText(QString());
    pcChart->setTabVisible(pcChart->indexOf(TabSheet2), false);
    pcChart->setCurrentWidget(tsAccGyro);
    tmBattery->setInterval(BatteryInterval(*settings_));
    if (StrToIntDef(settings_->GetSettingByName(QStringLiteral("OneLanguage")), 0) != 0) {
        miFileLanguage->menuAction()->setVisible(false);
        miFileSeparator1->setVisible(false);
    }
    resize(1032, 654 + menuBar()->sizeHint().height());

    FormCreate();
    CreateNetwork();
    UpdateActions();
    InstallIdleHandler();
}

TfmMain::~TfmMain() {
    // Nothing may keep reading a port that is about to close, nor write to the log after it.
    if (IsMeasuring()) StopMeasurement();
    DisconnectDevice();
    session_->RemoveListener(this);
    // The publisher listens to the measurement: it goes first.
    mqtt_.reset();
    session_.reset();
}

void TfmMain::FormCreate() { SetUpLanguage(); }

void TfmMain::InstallIdleHandler() {
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance()) {
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &TfmMain::UpdateActions);
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
            if (QueryEndSession()) EndSession(true);
        });
    }
}

void TfmMain::RestoreFromOtherInstance() {
    showNormal();
    raise();
    activateWindow();
}

bool TfmMain::FormCloseQuery() {
    QMessageBox box(QMessageBox::Question, LoadStr(20003), LoadStr(5003),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void TfmMain::EndBySignal(const QString& name) {
    session_->EndBySignal(name);
    askOnClose_ = false;
    close();
    // Also from inside a dialog's loop, and while a connect probes the ports.
    QCoreApplication::quit();
}

bool TfmMain::QueryEndSession() {
    askOnClose_ = false;
    return true;
}

void TfmMain::EndSession(bool ending) {
    if (ending)
        QTimer::singleShot(0, this, [this] { close(); });
    else
        askOnClose_ = true;
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (connecting_ || (askOnClose_ && !FormCloseQuery())) {
        event->ignore();
        return;
    }
    // A close during a measurement ends the stream first, as Stop does.
    if (IsMeasuring()) StopMeasurement();
    DisconnectDevice();
    event->accept();
}

QVector<TChart*> TfmMain::Charts() const { return {chAll, chAccGyro, chAccAng, chGyroAng}; }

TChartSeries* TfmMain::MasterSeries(int channel) const { return chAll->Series(channel); }

QLabel* TfmMain::StatusPanel(int index) const {
    return index >= 0 && index < 5 ? stbPanels_[index] : nullptr;
}
