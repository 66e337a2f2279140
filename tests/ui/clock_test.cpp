// The clock and the automatic switch-off, driven by calling the clock's handler: the countdown
// from the device time, its blinking, running out in and out of a measurement, and the keys.
#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QFontMetrics>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include "app/format_settings.h"
#include "controls/slim_track_bar.h"
#include "ui/motor_wired_window.h"

namespace {
// The clock's format for one test, put back afterwards.
class TimeFormat {
public:
    explicit TimeFormat(const QString& format) : saved_(FormatSettings().LongTimeFormat) {
        FormatSettings().LongTimeFormat = format;
    }
    ~TimeFormat() { FormatSettings().LongTimeFormat = saved_; }

private:
    QString saved_;
};

// A ball that reports `deviceTime` at connect, and a window on it whose clock only ticks when
// the test calls its handler.
class Countdown : public WiredWindow {
public:
    Countdown(int deviceTime, const QByteArray& keys)
        : WiredWindow({QStringLiteral("--reply"), QStringLiteral("?=%1\\r\\n").arg(deviceTime, 8)},
                      keys) {
        ConnectQuietly();
    }
    QString Tick() {
        W().tmTimeTimer();
        W().UpdateActions();
        return W().StatusPanel(2)->text();
    }

private:
    TimeFormat format_{QStringLiteral("HH:mm:ss")};
};
}  // namespace

TEST(Clock, TheCountdownAddsTheIntervalFromTheDeviceTimeAndStartResetsIt) {
    Countdown c(60000, "CheckOffTimer=1\r\nSwitchOffTime=5\r\nWarnTime=30\r\n");
    ASSERT_EQ(c.W().DevTime, 60000);
    EXPECT_EQ(c.Tick(), QStringLiteral("00:03:59"));  // 300000 - 60000 - 300 ms
    EXPECT_EQ(c.W().OffTimeElapsed, 60300);
    c.Choose(c.W().acDeviceStart);
    EXPECT_EQ(c.Tick(), QStringLiteral("00:04:59"));
    c.Choose(c.W().acDeviceStop);
    EXPECT_EQ(c.Tick(), QStringLiteral("00:04:59"));  // 299400 ms left
}

TEST(Clock, TheLastWarnTimeSecondsBlink) {
    Countdown c(29400, "SwitchOffTime=1\r\n");  // WarnTime 30 by default
    QStringList shown;
    for (int i = 0; i < 5; ++i) shown << c.Tick();
    // 30.3 s left, then exactly 30 s: the blinking starts there, on and off by ticks.
    EXPECT_EQ(shown, QStringList({QStringLiteral("00:00:30"), QString(), QStringLiteral("00:00:29"),
                                  QString(), QStringLiteral("00:00:29")}));
}

TEST(Clock, RunningOutDuringAMeasurementStopsItAndThenDisconnects) {
    Countdown c(60000, "SwitchOffTime=1\r\nWarnTime=0\r\n");
    c.Choose(c.W().acDeviceStart);  // the full minute again, not 60 s less
    ASSERT_TRUE(c.W().IsMeasuring());
    ASSERT_TRUE(c.Wire().WaitFor("S\r\n"));
    c.Wire().Mark();
    for (int i = 0; i < 200; ++i) c.Tick();
    EXPECT_TRUE(c.W().IsMeasuring());  // exactly 0 left is not yet below 0
    c.Tick();
    EXPECT_FALSE(c.W().IsMeasuring());
    EXPECT_FALSE(c.W().IsConnected());
    EXPECT_FALSE(c.W().tmStart->isActive());
    EXPECT_EQ(c.W().DevTime, -1);
    EXPECT_EQ(c.W().OffTimeElapsed, -1);
    EXPECT_FALSE(c.W().acDeviceConnect->isChecked());
    EXPECT_EQ(c.W().StatusPanel(3)->text(), QStringLiteral("<НЕТ>"));
    EXPECT_EQ(c.Wire().SinceMark(), QByteArray("T\r\n"));
    EXPECT_TRUE(c.Ball().Errors().contains("stream stopped"));

    // The panel keeps its last text until the next connect.
    const QString last = c.W().StatusPanel(2)->text();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c.Tick(), last);
}

TEST(Clock, NoCountdownRunsForADeviceTimeOfZeroNorWithTheFlagOff) {
    const std::pair<int, QByteArray> cases[] = {
        {0, "CheckOffTimer=1\r\nSwitchOffTime=5\r\nWarnTime=30\r\n"},
        {60000, "CheckOffTimer=0\r\nSwitchOffTime=0\r\n"},
    };
    for (const auto& [deviceTime, keys] : cases) {
        SCOPED_TRACE(keys.toStdString());
        Countdown c(deviceTime, keys);
        ASSERT_EQ(c.W().DevTime, deviceTime);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(c.Tick(), QString());
        EXPECT_EQ(c.W().OffTimeElapsed, deviceTime);
        EXPECT_TRUE(c.W().IsConnected());
        EXPECT_FALSE(c.W().StatusPanel(4)->text().isEmpty());  // the clock runs all the same
    }
}

TEST(Clock, AnIdleBallIsDisconnectedWithoutAStopRequest) {
    Countdown c(60000, "CheckOffTimer=1\r\nSwitchOffTime=0\r\n");
    EXPECT_EQ(c.Tick(), QStringLiteral("00:00:00"));
    EXPECT_FALSE(c.W().IsConnected());
    EXPECT_FALSE(c.W().trMotor->isEnabled());
    EXPECT_EQ(c.Wire().SinceMark(), QByteArray());
}

TEST(Clock, TheClockShowsTheLocalTimeInTheLongFormatWithMillisecondsWhenAsked) {
    WindowFixture f;
    TfmMain& w = f.Window();
    w.tmTime->stop();
    for (const QString& format : {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm:ss.zzz")}) {
        SCOPED_TRACE(format.toStdString());
        TimeFormat use(format);
        const QTime before = QTime::currentTime();
        w.tmTimeTimer();
        const QTime after = QTime::currentTime();
        const QTime shown = QTime::fromString(w.StatusPanel(4)->text(), format);
        ASSERT_TRUE(shown.isValid()) << w.StatusPanel(4)->text().toStdString();
        const int slack = format.endsWith(u'z') ? 0 : 999;  // whole seconds are cut, not rounded
        if (before <= after) {                              // not across midnight
            EXPECT_GE(shown.msecsSinceStartOfDay() + slack, before.msecsSinceStartOfDay());
            EXPECT_LE(shown.msecsSinceStartOfDay(), after.msecsSinceStartOfDay());
        }
    }
}

TEST(Clock, TheClockPanelIsSizedForItsTextInTheBarsFont) {
    WindowFixture f;
    TfmMain& w = f.Window();
    f.Show();
    auto expected = [&] {
        return int(QFontMetrics(w.stbMain->font()).horizontalAdvance(QStringLiteral(" 88:88:88 ")) *
                   1.5);
    };
    EXPECT_EQ(w.StatusPanel(4)->width(), expected());
    QFont bigger = w.stbMain->font();
    bigger.setPixelSize(24);
    w.stbMain->setFont(bigger);
    // The bar lays its panels out again when its resize comes through.
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.StatusPanel(4)->width() == expected(); }, 5000))
        << w.StatusPanel(4)->width() << " against " << expected();
    EXPECT_GT(expected(), 0);
}
