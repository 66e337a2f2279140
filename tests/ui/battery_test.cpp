// The battery panel between measurements: the level at connect and at each poll, "<?>" for a
// ball that does not answer, no poll while streaming or disconnected, and the poll interval.
#include <gtest/gtest.h>

#include <QLabel>

#include "device/device_test_support.h"
#include "ui/motor_wired_window.h"

TEST(Battery, TheConnectShowsTheLevelAtOnceAndEachPollRefreshesIt) {
    struct Case {
        QStringList ballArguments;
        QString shown;
    };
    const Case cases[] = {
        {{}, QStringLiteral("87%")},
        {{QStringLiteral("--battery"), QStringLiteral("0")}, QStringLiteral("0%")},
        {{QStringLiteral("--reply"), QStringLiteral("B=")}, QStringLiteral("<?>")},
        {{QStringLiteral("--reply"), QStringLiteral("B=   full!\\r\\n")}, QStringLiteral("<?>")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ballArguments.join(u' ').toStdString());
        WiredWindow ww(c.ballArguments);
        TfmMain& w = ww.W();
        ASSERT_TRUE(ww.ConnectQuietly());
        EXPECT_EQ(w.StatusPanel(1)->text(), c.shown);
        w.StatusPanel(1)->clear();
        w.tmBatteryTimer();
        EXPECT_EQ(w.StatusPanel(1)->text(), c.shown);
    }
}

TEST(Battery, NoPollWhileMeasuringOrDisconnected) {
    WiredWindow ww;
    TfmMain& w = ww.W();
    LogCapture log;
    w.StatusPanel(1)->setText(QStringLiteral("kept"));
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("kept"));
    EXPECT_EQ(log.CountStartingWith("SEND: "), 0);

    ASSERT_TRUE(ww.ConnectQuietly());
    ww.Choose(w.acDeviceStart);
    ASSERT_TRUE(ww.Wire().WaitFor("S\r\n"));
    w.StatusPanel(1)->setText(QStringLiteral("kept"));
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("kept"));
    ww.Choose(w.acDeviceStop);
    EXPECT_EQ(ww.Wire().SinceMark(), QByteArray("S\r\nT\r\n"));

    // After Stop the poll takes over again.
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("87%"));
}

TEST(Battery, ThePollIntervalComesFromTheSettingsInSeconds) {
    const std::pair<QByteArray, int> cases[] = {
        {"BatteryUpdate=5\r\n", 5000},    {"BatteryUpdate=1\r\n", 1000},
        {"BatteryUpdate=0\r\n", 2000},    {"BatteryUpdate=-3\r\n", 2000},
        {"BatteryUpdate=soon\r\n", 2000}, {"", 2000},
    };
    for (const auto& [line, interval] : cases) {
        SCOPED_TRACE(line.toStdString());
        WindowFixture f(line);
        EXPECT_EQ(f.Window().tmBattery->interval(), interval);
        EXPECT_TRUE(f.Window().tmBattery->isActive());
    }
}
