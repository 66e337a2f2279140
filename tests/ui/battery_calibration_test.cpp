// The two calibrations against ballsim: the device calibration at once, the accelerometer one
// only by its shortcut, only between measurements and only after a Yes.
#include <gtest/gtest.h>

#include <QAction>
#include <QTimer>

#include "device/device_test_support.h"
#include "lang/builtin_texts.h"
#include "support/message_box_answerer.h"
#include "ui/motor_wire_record.h"
#include "ui/window_fixture.h"

namespace {
void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
    w.UpdateActions();
}

void PressAccCalibrate(TfmMain& w) {
    // A closed question hands the activation back later; a user's key goes to the window.
    QApplication::setActiveWindow(&w);
    w.UpdateActions();
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    w.UpdateActions();
}

class Calibration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(ball_.Start(wire_.Arguments()));
        window_ = std::make_unique<WindowFixture>(WindowFixture::PortSettings(ball_.Path()));
        window_->Show();
    }
    void Connect() {
        Choose(W(), W().acDeviceConnect);
        W().tmBattery->stop();
        W().tmTime->stop();
        wire_.Mark();
    }
    TfmMain& W() { return window_->Window(); }

    WireRecord wire_;
    BallsimProcess ball_;
    std::unique_ptr<WindowFixture> window_;
};
}  // namespace

TEST_F(Calibration, TheDeviceCalibrationIsSentAtOnceWithoutAQuestion) {
    Connect();
    MessageBoxAnswerer answerer;
    Choose(W(), W().acDeviceCalibrate);
    ASSERT_TRUE(wire_.WaitFor("C\r\n"));
    EXPECT_EQ(wire_.SinceMark(), QByteArray("C\r\n"));
    EXPECT_TRUE(answerer.seen().isEmpty());
}

TEST_F(Calibration, TheShortcutAsksFirstAndOnlyYesSends) {
    MessageBoxAnswerer answerer({QMessageBox::No, QMessageBox::Yes});
    PressAccCalibrate(W());  // disconnected: nothing
    EXPECT_TRUE(answerer.seen().isEmpty());

    Connect();
    PressAccCalibrate(W());  // No
    ASSERT_EQ(answerer.seen().size(), 1);
    const MessageBoxAnswerer::Seen& question = answerer.seen()[0];
    EXPECT_EQ(question.title, QStringLiteral("Внимание"));
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    EXPECT_EQ(question.text, LangConst(QStringLiteral("LC_CALIBLATE_WARN")));
    EXPECT_TRUE(question.text.endsWith(QStringLiteral("\n\nПриступить к калибровке?")));
    PressAccCalibrate(W());  // Yes
    ASSERT_EQ(answerer.seen().size(), 2);
    ASSERT_TRUE(wire_.WaitFor("O\r\n"));
    EXPECT_EQ(wire_.SinceMark(), QByteArray("O\r\n"));
}

TEST_F(Calibration, NeitherCalibrationRunsDuringAMeasurementOrAPause) {
    Connect();
    Choose(W(), W().acDeviceStart);
    ASSERT_TRUE(W().IsMeasuring());
    MessageBoxAnswerer answerer;
    PressAccCalibrate(W());
    Choose(W(), W().acDeviceCalibrate);
    // Alt+P is Pause; Ctrl+Alt+P must not reach it.
    EXPECT_FALSE(W().acDevicePause->isChecked());
    Choose(W(), W().acDevicePause);
    ASSERT_TRUE(W().acDevicePause->isChecked());
    PressAccCalibrate(W());
    EXPECT_TRUE(W().acDevicePause->isChecked());
    Choose(W(), W().acDeviceStop);
    EXPECT_TRUE(answerer.seen().isEmpty());
    ASSERT_TRUE(wire_.WaitFor("T\r\n"));
    EXPECT_EQ(wire_.SinceMark(), QByteArray("S\r\nT\r\n"));
}

TEST_F(Calibration, AYesAfterTheBallWasSwitchedOffSendsNothing) {
    Connect();
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
    PressAccCalibrate(W());
    EXPECT_FALSE(W().IsConnected());
    EXPECT_EQ(log.CountStartingWith("SEND: BIN 'O"), 0);
}
