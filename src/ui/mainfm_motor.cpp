// The motor: the power slider and the timed impulse of the right-hand panel.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "app/log_file.h"
#include "base/builtin_texts.h"
#include "controls/slim_track_bar.h"
#include "device/device.h"
#include "model/pulse_values.h"
#include "ui/mainfm.h"
#include "ui/value_list_editor.h"

void TfmMain::ConnectMotor() {
    connect(trMotor, &TSlimTrackBar::OnChange, this, &TfmMain::trMotorChange);
    connect(bbPulse, &QPushButton::clicked, this, [this] { bbPulseClick(); });
}

// No rate limit: outside a measurement every position is written at once; during one the
// stream thread keeps only the newest request that still waits.
void TfmMain::trMotorChange(QObject*) {
    if (!IsConnected()) return;
    LogFile->Write("Motor CHANGING");
    const int power = trMotor->Position();
    if (!Device()->SetMotorPower(power)) return;
    lbMotor->setText(LangConst(QStringLiteral("LC_POWER_CAP")) + QString::number(power) +
                     LangConst(QStringLiteral("LC_POWER_UNITS")));
    LogFile->Write("Motor CHANGED");
    JournalEvent(QStringLiteral("motor"), QString::number(power));
}

void TfmMain::bbPulseClick() {
    LogFile->Write("PULSE CHANGING");
    // A value still in its editor (the button reached by its mnemonic) is taken as typed.
    if (QWidget* focus = QApplication::focusWidget(); focus && vlePulse->isAncestorOf(focus))
        bbPulse->setFocus(Qt::OtherFocusReason);
    // By position: the keys follow the interface language.
    const tPulseCheck check = CheckPulse(vlePulse->ValueAt(0), vlePulse->ValueAt(1));
    const char* problem = nullptr;
    if (check.verdict == tPulseCheck::PowerOutOfRange) problem = "LC_POWER_LIMITS";
    if (check.verdict == tPulseCheck::DurationOutOfRange) problem = "LC_POWER_TIMEOUT";
    if (problem) {
        QMessageBox box(QMessageBox::Warning, LoadStr(20001), LangConst(QLatin1String(problem)),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    // The ball may have been switched off since the button was last enabled.
    if (!IsConnected()) return;
    Device()->SendImpulse(check.power, check.duration);
    LogFile->Write("PULSE CHANGED");
    JournalEvent(QStringLiteral("impulse"),
                 QStringLiteral("%1 %2").arg(check.power).arg(check.duration));
}
