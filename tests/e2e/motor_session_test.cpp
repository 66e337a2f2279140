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
#include "ui/motor_wired_window.h"
#include "ui/value_list_editor.h"

namespace {
QPoint PointOf(const TSlimTrackBar& bar, int position) {
    return {bar.GetPosCoordinate(position), bar.height() / 2};
}

void Impulse(TfmMain& w, const char* power, const char* duration) {
    w.vlePulse->SetValueAt(0, QLatin1String(power));
    w.vlePulse->SetValueAt(1, QLatin1String(duration));
    QTest::mouseClick(w.bbPulse, Qt::LeftButton);
}

// The window's own timers run, but the battery poll stays off the wire.
const QByteArray kQuietBattery = "BatteryUpdate=3600\r\n";
}  // namespace

TEST(MotorSession, PowerImpulseAndCalibrationsGoOutAsTheirExactBytesInAndOutOfAMeasurement) {
    WiredWindow ww({QStringLiteral("--speed"), QStringLiteral("2")},
                   kQuietBattery + "CheckOffTimer=0\r\n");
    TfmMain& w = ww.W();
    WireRecord& wire = ww.Wire();
    ww.Fixture().Show();
    MessageBoxAnswerer answerer({QMessageBox::Yes});

    ww.Choose(w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("87%"));
    wire.Mark();

    ww.Choose(w.acDeviceCalibrate);
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
    TSlimTrackBar& bar = *w.trMotor;
    QTest::mousePress(&bar, Qt::LeftButton, {}, PointOf(bar, 100));
    QTest::mouseMove(&bar, PointOf(bar, 101));
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, PointOf(bar, 101));
    Impulse(w, "200", "1500");
    ASSERT_TRUE(wire.WaitFor("P M1:200*1500\r\n"));
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 101 ед."));

    ww.Choose(w.acDeviceStart);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > 10; }, 20000));
    bar.SetPosition(30);
    ASSERT_TRUE(wire.WaitFor("P M1:30*0\r\n"));
    Impulse(w, "255", "2000");
    ASSERT_TRUE(wire.WaitFor("P M1:255*2000\r\n"));
    ww.Choose(w.acDeviceStop);
    ASSERT_TRUE(wire.WaitFor("T\r\n"));

    EXPECT_EQ(wire.SinceMark(), QByteArray("C\r\nO\r\nP M1:100*0\r\nP M1:101*0\r\nP M1:200*1500\r\n"
                                           "S\r\nP M1:30*0\r\nP M1:255*2000\r\nT\r\n"));
    EXPECT_EQ(answerer.seen().size(), 1);
    // During the measurement the battery came with the samples.
    EXPECT_TRUE(w.StatusPanel(1)->text().endsWith(u'%'));
}

TEST(MotorSession, AStreamingBallIsStoppedAndDisconnectedWhenItsTimeRunsOutBlinkingBefore) {
    WiredWindow ww({}, kQuietBattery + "CheckOffTimer=1\r\nSwitchOffTime=1\r\nWarnTime=3\r\n");
    TfmMain& w = ww.W();
    WireRecord& wire = ww.Wire();
    ww.Choose(w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    ww.Choose(w.acDeviceStart);
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
    EXPECT_TRUE(ww.Ball().Errors().contains("stream stopped"));
}
