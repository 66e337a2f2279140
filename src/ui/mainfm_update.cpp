// The enabling rules. They run whenever the application becomes idle and right before their
// action's command, so they stay cheap and change nothing when nothing changed.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "base/builtin_texts.h"
#include "controls/slim_track_bar.h"
#include "ui/mainfm.h"
#include "ui/value_list_editor.h"

void TfmMain::UpdateActions() {
    for (tHandler update : updates_) (this->*update)();
}

void TfmMain::acDeviceConnectUpdate() {
    const bool connected = IsConnected();
    // While the lost ball is watched for, the action stays down: it cancels the watch.
    acDeviceConnect->setChecked(connected || IsWatchingForBall());
    trMotor->setEnabled(connected);
    bbPulse->setEnabled(connected);
    vlePulse->setEnabled(connected);
    if (connected) return;
    acDevicePause->setChecked(false);
    if (trMotor->Position() != 0) trMotor->SetPosition(0);
    const QString zeroPower = LangConst(QStringLiteral("LC_POWER_0"));
    if (lbMotor->text() != zeroPower) lbMotor->setText(zeroPower);
}

void TfmMain::acDeviceStartUpdate() {
    const bool idle = IsConnected() && !IsMeasuring();
    acDeviceStart->setEnabled(idle);
    cbAcc->setEnabled(idle);
    cbGyro->setEnabled(idle);
}

void TfmMain::acDevicePauseUpdate() { acDevicePause->setEnabled(IsMeasuring()); }

void TfmMain::acDeviceStopUpdate() { acDeviceStop->setEnabled(IsMeasuring()); }

void TfmMain::acViewChooseCoordUpdate() {
    acViewChooseCoord->setEnabled(IsConnected() && !IsMeasuring());
}

void TfmMain::acDeviceCalibrateUpdate() {
    acDeviceCalibrate->setEnabled(IsConnected() && !IsMeasuring());
}

void TfmMain::acDeviceAccCalibrateUpdate() {
    acDeviceAccCalibrate->setEnabled(IsConnected() && !IsMeasuring());
}

void TfmMain::acFileSetZeroMarkerUpdate() {
    acFileSetZeroMarker->setEnabled(HasReviewRecord());
}

void TfmMain::acFileMarkPointUpdate() {
    acFileMarkPoint->setEnabled(HasReviewRecord() && CursorIndex > 0);
}

void TfmMain::acFileShowAllUpdate() {
    acFileShowAll->setEnabled(HasReviewRecord() && !IsMeasuring());
}

void TfmMain::acFileExportUpdate() {
    acFileExport->setEnabled(HasReviewRecord() && !tmStart->isActive());
}

void TfmMain::acFileOpenUpdate() { acFileOpen->setEnabled(!IsMeasuring() && !connecting_); }
