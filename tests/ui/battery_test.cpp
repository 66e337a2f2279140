// The battery panel between measurements: the level at connect and at each poll, "<?>" for a
// ball that does not answer, no poll while streaming or disconnected, and the poll interval.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QTimer>

#include "device/device_test_support.h"
#include "ui/motor_wire_record.h"
#include "ui/window_fixture.h"

namespace {
void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
    w.UpdateActions();
}
}  // namespace

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
        BallsimProcess ball(c.ballArguments);
        ASSERT_TRUE(ball.IsRunning());
        WindowFixture f(WindowFixture::PortSettings(ball.Path()));
        TfmMain& w = f.Window();
        w.tmBattery->stop();
        Choose(w, w.acDeviceConnect);
        ASSERT_TRUE(w.IsConnected());
        w.tmBattery->stop();
        EXPECT_EQ(w.StatusPanel(1)->text(), c.shown);
        w.StatusPanel(1)->clear();
        w.tmBatteryTimer();
        EXPECT_EQ(w.StatusPanel(1)->text(), c.shown);
    }
}

TEST(Battery, NoPollWhileMeasuringOrDisconnected) {
    WireRecord wire;
    BallsimProcess ball(wire.Arguments());
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    LogCapture log;
    w.StatusPanel(1)->setText(QStringLiteral("kept"));
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("kept"));
    EXPECT_EQ(log.CountStartingWith("SEND: "), 0);

    Choose(w, w.acDeviceConnect);
    w.tmBattery->stop();
    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(wire.WaitFor("S\r\n"));
    wire.Mark();
    w.StatusPanel(1)->setText(QStringLiteral("kept"));
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("kept"));
    Choose(w, w.acDeviceStop);
    EXPECT_EQ(wire.SinceMark(), QByteArray("T\r\n"));

    // After Stop the poll takes over again.
    w.tmBatteryTimer();
    EXPECT_EQ(w.StatusPanel(1)->text(), QStringLiteral("87%"));
}

TEST(Battery, ThePollIntervalComesFromTheSettingsInSeconds) {
    const std::pair<QByteArray, int> cases[] = {
        {"BatteryUpdate=5\r\n", 5000}, {"BatteryUpdate=1\r\n", 1000},
        {"BatteryUpdate=0\r\n", 2000}, {"BatteryUpdate=-3\r\n", 2000},
        {"BatteryUpdate=soon\r\n", 2000}, {"", 2000},
    };
    for (const auto& [line, interval] : cases) {
        SCOPED_TRACE(line.toStdString());
        WindowFixture f(line);
        EXPECT_EQ(f.Window().tmBattery->interval(), interval);
        EXPECT_TRUE(f.Window().tmBattery->isActive());
    }
}
