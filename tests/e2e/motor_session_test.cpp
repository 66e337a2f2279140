// The motor, the calibrations, the battery and the automatic switch-off in a user's session
// against ballsim, with the window's own timers running; ballsim records every byte it gets.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "controls/slim_track_bar.h"
#include "support/message_box_answerer.h"
#include "ui/chart.h"
#include "ui/motor_wire_record.h"
#include "ui/value_list_editor.h"
#include "ui/window_fixture.h"

namespace {
void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
    w.UpdateActions();
}

QPoint PointOf(const TSlimTrackBar& bar, int position) {
    return {bar.GetPosCoordinate(position), bar.height() / 2};
}

void Impulse(TfmMain& w, const char* power, const char* duration) {
    w.vlePulse->SetValueAt(0, QLatin1String(power));
    w.vlePulse->SetValueAt(1, QLatin1String(duration));
    QTest::mouseClick(w.bbPulse, Qt::LeftButton);
}

// A session whose battery poll stays out of the way unless a test asks for it.
QByteArray Settings(const BallsimProcess& ball, const QByteArray& more) {
    return WindowFixture::PortSettings(ball.Path()) + "BatteryUpdate=3600\r\n" + more;
}
}  // namespace

TEST(MotorSession, PowerImpulseAndCalibrationsGoOutAsTheirExactBytesInAndOutOfAMeasurement) {
    WireRecord wire;
    BallsimProcess ball(wire.Arguments({QStringLiteral("--speed"), QStringLiteral("2")}));
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(Settings(ball, "CheckOffTimer=0\r\n"));
    TfmMain& w = f.Window();
    f.Show();
    MessageBoxAnswerer answerer({QMessageBox::Yes});

    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("87%"));
    wire.Mark();

    Choose(w, w.acDeviceCalibrate);
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    TSlimTrackBar& bar = *w.trMotor;
    QTest::mousePress(&bar, Qt::LeftButton, {}, PointOf(bar, 100));
    QTest::mouseMove(&bar, PointOf(bar, 101));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, PointOf(bar, 101));
    Impulse(w, "200", "1500");
    ASSERT_TRUE(wire.WaitFor("P M1:200*1500\r\n"));
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 101 ед."));

    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > 10; }, 20000));
    bar.SetPosition(30);
    ASSERT_TRUE(wire.WaitFor("P M1:30*0\r\n"));
    Impulse(w, "255", "2000");
    ASSERT_TRUE(wire.WaitFor("P M1:255*2000\r\n"));
    Choose(w, w.acDeviceStop);
    ASSERT_TRUE(wire.WaitFor("T\r\n"));

    EXPECT_EQ(wire.SinceMark(), QByteArray("C\r\nO\r\nP M1:100*0\r\nP M1:101*0\r\nP M1:200*1500\r\n"
                                           "S\r\nP M1:30*0\r\nP M1:255*2000\r\nT\r\n"));
    EXPECT_EQ(answerer.seen().size(), 1);
    // During the measurement the battery came with the samples.
    EXPECT_TRUE(w.StatusPanel(1)->text().endsWith(u'%'));
}

TEST(MotorSession, AStreamingBallIsStoppedAndDisconnectedWhenItsTimeRunsOutBlinkingBefore) {
    WireRecord wire;
    BallsimProcess ball(wire.Arguments());
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(Settings(ball, "CheckOffTimer=1\r\nSwitchOffTime=1\r\nWarnTime=3\r\n"));
    TfmMain& w = f.Window();
    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(w.IsMeasuring());
    ASSERT_TRUE(wire.WaitFor("S\r\n"));
    wire.Mark();
    // Five seconds before the end, rather than a whole minute of ticks.
    w.OffTimeElapsed = 55000;

    bool sawText = false, sawBlank = false, sawBlankAfterText = false;
    const bool ended = QTest::qWaitFor(
        [&] {
            w.UpdateActions();
            const bool blank = w.StatusPanel(2)->text().isEmpty();
            if (blank && sawText) sawBlankAfterText = true;
            (blank ? sawBlank : sawText) = true;
            return !w.IsConnected();
        },
        60000);
    ASSERT_TRUE(ended);
    EXPECT_TRUE(sawText);
    EXPECT_TRUE(sawBlank);
    EXPECT_TRUE(sawBlankAfterText);
    EXPECT_FALSE(w.IsMeasuring());
    EXPECT_FALSE(w.tmStart->isActive());
    EXPECT_EQ(w.StatusPanel(3)->text(), QStringLiteral("<НЕТ>"));
    EXPECT_GT(w.MasterSeries(0)->Count(), 0);
    EXPECT_EQ(wire.SinceMark(), QByteArray("T\r\n"));
    EXPECT_TRUE(ball.Errors().contains("stream stopped"));
}

TEST(MotorSession, AnIdleBallIsDisconnectedWithoutAStopRequest) {
    WireRecord wire;
    // The ball has been on for 57 s when the window connects.
    BallsimProcess ball(wire.Arguments({QStringLiteral("--device-time"), QStringLiteral("57000")}));
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(Settings(ball, "SwitchOffTime=1\r\n"));
    TfmMain& w = f.Window();
    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    wire.Mark();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.IsConnected(); }, 60000));
    w.UpdateActions();
    EXPECT_FALSE(w.trMotor->isEnabled());
    EXPECT_EQ(w.StatusPanel(3)->text(), QStringLiteral("<НЕТ>"));
    EXPECT_EQ(wire.SinceMark(), QByteArray());
}
