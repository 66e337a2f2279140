// The motor slider against ballsim: the bytes of each change in and out of a measurement, the
// label, the log, and a slider that a disconnect has disabled.
#include <gtest/gtest.h>

#include <QLabel>

#include "controls/slim_track_bar.h"
#include "device/device_test_support.h"
#include "ui/motor_wired_window.h"

namespace {
QPoint PointOf(const TSlimTrackBar& bar, int position) {
    return {bar.GetPosCoordinate(position), bar.height() / 2};
}

int CountOf(const QByteArray& bytes, const QByteArray& part) {
    return int(bytes.count(part));
}
}  // namespace

TEST(MotorSlider, ADragOutsideAMeasurementWritesOneCommandPerPositionPassed) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ww.Fixture().Show();
    ASSERT_TRUE(ww.ConnectQuietly());
    ASSERT_TRUE(w.trMotor->isEnabled());
    LogCapture log;

    TSlimTrackBar& bar = *w.trMotor;
    QTest::mousePress(&bar, Qt::LeftButton, {}, PointOf(bar, 10));
    for (int p : {11, 12, 40, 255}) QTest::mouseMove(&bar, PointOf(bar, p));
    QTest::mouseMove(&bar, QPoint(bar.width() + 50, bar.height() / 2));  // clamps: no change
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, PointOf(bar, 255));
    ASSERT_EQ(bar.Position(), 255);

    const QByteArray expected =
        "P M1:10*0\r\nP M1:11*0\r\nP M1:12*0\r\nP M1:40*0\r\nP M1:255*0\r\n";
    ASSERT_TRUE(ww.Wire().WaitFor("P M1:255*0\r\n"));
    EXPECT_EQ(ww.Wire().SinceMark(), expected);
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 255 ед."));
    EXPECT_EQ(log.Count("Motor CHANGING"), 5);
    EXPECT_EQ(log.Count("Motor CHANGED"), 5);
    // The slider never takes the keyboard focus, also not from a click.
    EXPECT_FALSE(bar.hasFocus());
}

TEST(MotorSlider, DuringAMeasurementQuickChangesCollapseIntoTheNewest) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ASSERT_TRUE(ww.ConnectQuietly());
    ww.Choose(w.acDeviceStart);
    ASSERT_TRUE(w.IsMeasuring());
    ASSERT_TRUE(ww.Wire().WaitFor("S\r\n"));
    ww.Wire().Mark();

    // Far quicker than the stream thread's next turn between two reads.
    for (int p = 1; p <= 60; ++p) w.trMotor->SetPosition(p);
    // Each change was handed over, so the label follows every one.
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 60 ед."));
    ASSERT_TRUE(ww.Wire().WaitFor("P M1:60*0\r\n"));
    ww.Choose(w.acDeviceStop);
    ASSERT_TRUE(ww.Wire().WaitFor("T\r\n"));

    const QByteArray seen = ww.Wire().SinceMark();
    EXPECT_LT(CountOf(seen, "P M1:"), 60);
    EXPECT_EQ(CountOf(seen, "P M1:60*0\r\n"), 1);
    // The newest is the last power the ball got, before the stop request.
    EXPECT_TRUE(seen.endsWith("P M1:60*0\r\nT\r\n")) << seen.toStdString();
}

TEST(MotorSlider, AfterADisconnectTheSliderIsDisabledAndSendsAndLogsNothing) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ww.Fixture().Show();
    ASSERT_TRUE(ww.ConnectQuietly());
    w.trMotor->SetPosition(50);
    ASSERT_TRUE(ww.Wire().WaitFor("P M1:50*0\r\n"));

    LogCapture log;
    ww.Choose(w.acDeviceConnect);
    ASSERT_FALSE(w.IsConnected());
    EXPECT_FALSE(w.trMotor->isEnabled());
    EXPECT_EQ(w.trMotor->Position(), 0);
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 0 ед."));
    QTest::mouseClick(w.trMotor, Qt::LeftButton, {}, PointOf(*w.trMotor, 100));
    w.trMotor->SetPosition(30);  // the program's own change, as the idle rule makes
    w.UpdateActions();
    EXPECT_EQ(log.Count("Motor CHANGING"), 0);
    EXPECT_EQ(log.CountStartingWith("SEND: "), 0);
}

TEST(MotorSlider, AFailedWriteLeavesTheLabelAndLogsOnlyTheAttempt) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    ASSERT_TRUE(ww.ConnectQuietly());
    w.trMotor->SetPosition(20);
    ASSERT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 20 ед."));

    ww.Ball().Stop();  // the terminal goes away under the open port
    LogCapture log;
    w.trMotor->SetPosition(90);
    EXPECT_EQ(w.trMotor->Position(), 90);
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 20 ед."));
    EXPECT_EQ(log.Count("Motor CHANGING"), 1);
    EXPECT_EQ(log.Count("Motor CHANGED"), 0);
}
