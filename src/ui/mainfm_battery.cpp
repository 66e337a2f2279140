// The two calibrations and the battery poll between measurements.
#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include "base/builtin_texts.h"
#include "device/device.h"
#include "ui/mainfm.h"

void TfmMain::ConnectBattery() {
    connect(tmBattery, &QTimer::timeout, this, &TfmMain::tmBatteryTimer);
}

void TfmMain::acDeviceCalibrateExecute() {
    Device()->Calibrate();
}

void TfmMain::acDeviceAccCalibrateExecute() {
    QMessageBox box(QMessageBox::Warning, LoadStr(20001),
                    LangConst(QStringLiteral("LC_CALIBLATE_WARN")),
                    QMessageBox::Yes | QMessageBox::No, this);
    // The clock keeps ticking while the question is open and may switch the ball off.
    if (box.exec() == QMessageBox::Yes && IsConnected()) Device()->CalibrateAcc();
}

// During a measurement the level comes with every sample, and the port is the stream's.
void TfmMain::tmBatteryTimer() {
    if (!IsConnected() || IsMeasuring()) return;
    session_->ReadBattery();
}

void TfmMain::BatteryRead(int level) {
    StatusPanel(1)->setText(level >= 0 ? QString::number(level) + u'%' : QStringLiteral("<?>"));
}
