// Session control: connect and disconnect, start, pause, stop, the drain of the stream, exit
// and the view toggles.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "base/builtin_texts.h"
#include "device/device.h"
#include "device/device_connector.h"
#include "device/port_failure.h"
#include "ui/chart.h"
#include "ui/connect_notice.h"
#include "ui/mainfm.h"

namespace {
// While the ports are probed the window keeps painting, but nothing the user does reaches it:
// input is swallowed, not queued, so that no click or shortcut starts a second connect later.
class tInputBlocker : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return true;
            default:
                return false;
        }
    }
};

// The state of the window while a connect runs, undone however the connect ends.
class tProbeScope {
public:
    tProbeScope(bool& connecting, QTimer* battery) : connecting_(connecting), battery_(battery) {
        connecting_ = true;
        battery_->stop();
        qApp->installEventFilter(&blocker_);
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~tProbeScope() {
        QApplication::restoreOverrideCursor();
        qApp->removeEventFilter(&blocker_);
        battery_->start();
        connecting_ = false;
    }
    tProbeScope(const tProbeScope&) = delete;
    tProbeScope& operator=(const tProbeScope&) = delete;

private:
    bool& connecting_;
    QTimer* battery_;
    tInputBlocker blocker_;
};
}  // namespace

void TfmMain::ConnectDevice() {
    if (connecting_) return;
    tProbeScope scope(connecting_, tmBattery);
    tDeviceConnector connector(settings_.get());
    connector.SetIdle([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 10); });
    // The battery is shown once through whatever handler the battery timer has; emitting its
    // signal runs exactly those handlers, and none when it has none.
    connector.SetBatteryStep(
        [this](tDevice&) { QMetaObject::invokeMethod(tmBattery, "timeout", Qt::DirectConnection); });
    const QString failure = session_->Connect(connector);
    if (!failure.isEmpty())
        ShowConnectNotice(this, ConnectFailureNotice(failure, connector.PortFailures()));
    DevTime = session_->DevTime();
    OffTimeElapsed = session_->DevTime();
}

void TfmMain::DisconnectDevice() {
    session_->Disconnect();
    DevTime = -1;
    OffTimeElapsed = -1;
}

void TfmMain::acDeviceConnectExecute() {
    lostRecordKept_ = false;
    if (CancelBallWatch()) {
        acDeviceConnect->setChecked(false);
        StatusPanel(3)->setText(LangConst(QStringLiteral("LC_CONN_NONE")));
        return;
    }
    if (IsConnected()) {
        // The stream ends as Stop ends it before its port goes away.
        if (IsMeasuring()) StopMeasurement();
        DisconnectDevice();
    } else {
        ConnectDevice();
    }
    acDeviceConnect->setChecked(IsConnected());
    if (IsConnected()) {
        StatusPanel(3)->setText(Device()->GetPortName());
        cbAccChange();
        cbGyroChange();
    } else {
        StatusPanel(3)->setText(LangConst(QStringLiteral("LC_CONN_NONE")));
    }
}

void TfmMain::acDeviceStartExecute() { session_->Start(); }

// Start: the window's view of a new record.
void TfmMain::MeasurementStarted() {
    ZeroMarkerIndex = -1;
    CursorIndex = -1;
    for (double& ref : ZeroRef) ref = 0;
    lbTime->setText(QString());
    for (TChart* chart : Charts()) PrepareLiveChart(chart);
    // The measurement has its new time base already.
    ClearLinkMarks();
    ClearEventMarks();
    ApplyStartLimits();
    OffTimeElapsed = 0;
    openedRecord_ = false;
    RepaintVisibleChart();
    RefreshAnalysis();
}

void TfmMain::ApplyStartLimits() {
    ApplyVerticalLimits(session_->AccLimits(), session_->GyroLimits());
}

void TfmMain::ApplyVerticalLimits(const tAxisLimits& acc, const tAxisLimits& gyro) {
    chAll->LeftAxis()->setRange(acc.Min, acc.Max);
    chAll->RightAxis()->setRange(gyro.Min, gyro.Max);
    chAccGyro->LeftAxis()->setRange(acc.Min, acc.Max);
    chAccGyro->RightAxis()->setRange(gyro.Min, gyro.Max);
    chAccAng->LeftAxis()->setRange(acc.Min, acc.Max);
    chAccAng->RightAxis()->setRange(AngleLimits.Min, AngleLimits.Max);
    chGyroAng->LeftAxis()->setRange(gyro.Min, gyro.Max);
    chGyroAng->RightAxis()->setRange(AngleLimits.Min, AngleLimits.Max);
}

// The check itself is the command: the drain leaves the chunks queued while it is set.
void TfmMain::acDevicePauseExecute() { session_->SetPaused(acDevicePause->isChecked()); }

void TfmMain::acDeviceStopExecute() { StopMeasurement(); }

void TfmMain::StopMeasurement() { session_->Stop(); }

// The stream ended with every chunk on the record: the record is reviewed.
void TfmMain::MeasurementStopped() {
    ShowLostLines();
    ZeroMarkerIndex = -1;
    CursorIndex = -1;
    lbTime->setText(QString());
    for (TChart* chart : Charts()) EnableChartReview(chart);
    RepaintVisibleChart();
    RefreshAnalysis();
}

void TfmMain::tmStartTimer() { session_->Drain(); }

void TfmMain::acFileExitExecute() { close(); }

void TfmMain::acViewToolBarExecute() { tlbMain->setVisible(acViewToolBar->isChecked()); }

void TfmMain::acViewStatusBarExecute() { stbMain->setVisible(acViewStatusBar->isChecked()); }
