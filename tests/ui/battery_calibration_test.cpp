// The two calibrations against ballsim: the device calibration at once, the accelerometer one
// only by its shortcut, only between measurements and only after a Yes.
#include <gtest/gtest.h>

#include "base/builtin_texts.h"
#include "device/device_test_support.h"
#include "support/message_box_answerer.h"
#include "ui/motor_wired_window.h"

namespace {
class Calibration : public ::testing::Test {
protected:
    void SetUp() override { ww_.Fixture().Show(); }
    TfmMain& W() { return ww_.W(); }
    void PressAccCalibrate() {
        // A closed question hands the activation back later; a user's key goes to the window.
        QApplication::setActiveWindow(&W());
        W().UpdateActions();
        QTest::keyClick(&W(), Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
        W().UpdateActions();
    }

    WiredWindow ww_;
};
}  // namespace

TEST_F(Calibration, TheDeviceCalibrationIsSentAtOnceWithoutAQuestion) {
    ASSERT_TRUE(ww_.ConnectQuietly());
    MessageBoxAnswerer answerer;
    ww_.Choose(W().acDeviceCalibrate);
    ASSERT_TRUE(ww_.Wire().WaitFor("C\r\n"));
    EXPECT_EQ(ww_.Wire().SinceMark(), QByteArray("C\r\n"));
    EXPECT_TRUE(answerer.seen().isEmpty());
}

TEST_F(Calibration, TheShortcutAsksFirstAndOnlyYesSends) {
    MessageBoxAnswerer answerer({QMessageBox::No, QMessageBox::Yes});
    PressAccCalibrate();  // disconnected: nothing
    EXPECT_TRUE(answerer.seen().isEmpty());

    ASSERT_TRUE(ww_.ConnectQuietly());
    PressAccCalibrate();  // No
    ASSERT_EQ(answerer.seen().size(), 1);
    const MessageBoxAnswerer::Seen& question = answerer.seen()[0];
    EXPECT_EQ(question.title, QStringLiteral("Внимание"));
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    EXPECT_EQ(question.text, LangConst(QStringLiteral("LC_CALIBLATE_WARN")));
    EXPECT_TRUE(question.text.endsWith(QStringLiteral("\n\nПриступить к калибровке?")));
    PressAccCalibrate();  // Yes
    ASSERT_EQ(answerer.seen().size(), 2);
    ASSERT_TRUE(ww_.Wire().WaitFor("O\r\n"));
    EXPECT_EQ(ww_.Wire().SinceMark(), QByteArray("O\r\n"));
}

TEST_F(Calibration, NeitherCalibrationRunsDuringAMeasurementOrAPause) {
    ASSERT_TRUE(ww_.ConnectQuietly());
    ww_.Choose(W().acDeviceStart);
    ASSERT_TRUE(W().IsMeasuring());
    MessageBoxAnswerer answerer;
    PressAccCalibrate();
    ww_.Choose(W().acDeviceCalibrate);
    // Alt+P is Pause; Ctrl+Alt+P must not reach it.
    EXPECT_FALSE(W().acDevicePause->isChecked());
    ww_.Choose(W().acDevicePause);
    ASSERT_TRUE(W().acDevicePause->isChecked());
    PressAccCalibrate();
    EXPECT_TRUE(W().acDevicePause->isChecked());
    ww_.Choose(W().acDeviceStop);
    EXPECT_TRUE(answerer.seen().isEmpty());
    ASSERT_TRUE(ww_.Wire().WaitFor("T\r\n"));
    EXPECT_EQ(ww_.Wire().SinceMark(), QByteArray("S\r\nT\r\n"));
}

TEST_F(Calibration, AYesAfterTheBallWasSwitchedOffSendsNothing) {
    ASSERT_TRUE(ww_.ConnectQuietly());
    LogCapture log;
    // The clock's switch-off may run while the question is open.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        poll.stop();
        W().DisconnectDevice();
        box->button(QMessageBox::Yes)->click();
    });
    poll.start(10);
    PressAccCalibrate();
    EXPECT_FALSE(W().IsConnected());
    EXPECT_EQ(log.CountStartingWith("SEND: BIN 'O"), 0);
}
