// A ball that vanishes, comes back or resets during a measurement, played by ballsim, and what
// the window keeps of the record.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <memory>

#include "app/log_file.h"
#include "base/builtin_texts.h"
#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/measure_thread.h"
#include "ui/chart.h"
#include "ui/export_support.h"
#include "ui/statistics_panel.h"
#include "ui/window_fixture.h"

namespace {
// The window's log in the test's folder for the fixture's lifetime.
class LinkLog {
public:
    explicit LinkLog(const QString& path)
        : saved_(LogFile), log_(path, {QStringLiteral("prog"), QStringLiteral("-LOG")}) {
        LogFile = &log_;
    }
    ~LinkLog() { LogFile = saved_; }

private:
    tLogFile* saved_;
    tLogFile log_;
};

void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
}

QByteArray LinkSettings(const QString& port, int lostTimeoutMs) {
    return WindowFixture::PortSettings(port) + "LostTimeout=" + QByteArray::number(lostTimeoutMs) +
           "\r\n";
}

// The first time at which the master record does not rise, or -1.
int FirstTimeNotRising(TfmMain& w) {
    const tSeriesData& points = *w.MasterSeries(0)->Points();
    for (int i = 1; i < w.MasterSeries(0)->Count(); ++i)
        if (!(points.TimeAt(i) > points.TimeAt(i - 1))) return i;
    return -1;
}
}  // namespace

TEST(LinkHealth, AnUnpluggedBallIsNoticedAndItsReturnWithANewClockContinuesTheRecordAfterAGap) {
    TempFolder links;
    const QString link = links.Path(QStringLiteral("ball"));
    // The ball comes back with its clock at 1 s, far behind where the record stood.
    BallsimProcess ball({QStringLiteral("--link"), link, QStringLiteral("--speed"),
                         QStringLiteral("2"), QStringLiteral("--unplug-after"),
                         QStringLiteral("150"), QStringLiteral("--replug-after-ms"),
                         QStringLiteral("1500"), QStringLiteral("--replug-device-time"),
                         QStringLiteral("1000")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(LinkSettings(link, 2000));
    LinkLog log(f.Folder().Path(QStringLiteral("mirelvane.log")));
    TfmMain& w = f.Window();
    f.ConnectAndStart();

    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.IsConnected(); }, 20000));
    EXPECT_FALSE(w.IsMeasuring());
    EXPECT_EQ(w.MasterSeries(0)->Count(), 150);
    EXPECT_EQ(w.StatusPanel(3)->text(), LangConst(QStringLiteral("LC_LINK_LOST")));
    EXPECT_TRUE(w.lbLinkNotice->isVisible());
    EXPECT_TRUE(w.IsWatchingForBall());
    EXPECT_TRUE(w.acDeviceConnect->isChecked());

    // In review the statistics covered the kept record; the continued stream has none yet.
    EXPECT_GT(w.pnStatistics->sgStatistics->rowCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.IsMeasuring(); }, 20000));
    EXPECT_EQ(w.StatusPanel(3)->text(), link);
    EXPECT_EQ(w.pnStatistics->sgStatistics->rowCount(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > 250; }, 20000));
    Choose(w, w.acDeviceStop);
    EXPECT_EQ(FirstTimeNotRising(w), -1);
    EXPECT_EQ(w.TimeMarks().GapCount(), 1);
    EXPECT_EQ(w.TimeMarks().RestartCount(), 0);
    EXPECT_EQ(w.SampleClock().LostLines(), 0);
    // The gap lies between the last sample before the loss and the first after the return.
    const tSeriesData& points = *w.MasterSeries(0)->Points();
    EXPECT_GT(points.TimeAt(150) - points.TimeAt(149), 1.0);
    const QByteArray text = f.Folder().Read(QStringLiteral("mirelvane.log"));
    for (const char* event : {"LINK loss: ", "LINK reconnect: ", "LINK gap: "})
        EXPECT_EQ(text.count(event), 1) << event;
    // Both stops, the one at the loss and the user's, tell the record's count.
    EXPECT_EQ(text.count("LINK lines: 0 lost, 0 damaged"), 2);
}

TEST(LinkHealth, ABallThatFallsSilentWhilePausedKeepsItsLinesAndDisconnectEndsTheWatch) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("2"),
                         QStringLiteral("--stream-lines"), QStringLiteral("120")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(LinkSettings(ball.Path(), 600));
    LinkLog log(f.Folder().Path(QStringLiteral("mirelvane.log")));
    TfmMain& w = f.Window();
    f.ConnectAndStart();
    Choose(w, w.acDevicePause);
    ASSERT_TRUE(w.acDevicePause->isChecked());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.IsConnected(); }, 20000));
    EXPECT_EQ(w.MasterSeries(0)->Count(), 120);
    ASSERT_TRUE(w.IsWatchingForBall());
    w.UpdateActions();
    EXPECT_TRUE(w.acFileExport->isEnabled());

    Choose(w, w.acDeviceConnect);
    EXPECT_FALSE(w.IsWatchingForBall());
    EXPECT_FALSE(w.IsConnected());
    EXPECT_FALSE(w.acDeviceConnect->isChecked());
    EXPECT_EQ(w.StatusPanel(3)->text(), LangConst(QStringLiteral("LC_CONN_NONE")));
    const QByteArray text = f.Folder().Read(QStringLiteral("mirelvane.log"));
    EXPECT_TRUE(text.contains("LINK loss: ")) << text.right(2000).constData();
    EXPECT_TRUE(text.contains("no byte for 600 ms"));
    EXPECT_TRUE(text.contains("LINK watch: cancelled"));
}

TEST(LinkHealth, ARestartOfTheBallAndAStopBehindABacklogKeepEverySampleInRisingTime) {
    // The record is held back by a pause until the ball has sent every line, so that the
    // whole stream waits in the queue when Stop comes.
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("40"),
                         QStringLiteral("--restart-after"), QStringLiteral("1500"),
                         QStringLiteral("--stream-lines"), QStringLiteral("3000")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(LinkSettings(ball.Path(), 0));
    TfmMain& w = f.Window();
    f.ConnectAndStart();
    Choose(w, w.acDevicePause);
    const tMeasureThread* thread = w.Device()->MeasureThread();
    ASSERT_TRUE(QTest::qWaitFor([&] { return thread->LinesRead() >= 3000; }, 60000));
    EXPECT_EQ(w.MasterSeries(0)->Count(), 0);
    Choose(w, w.acDeviceStop);
    ASSERT_FALSE(w.IsMeasuring());

    EXPECT_EQ(w.TimeMarks().RestartCount(), 1);
    EXPECT_EQ(w.SampleClock().LostLines(), 0);
    EXPECT_TRUE(w.lbLinkNotice->isVisible());
    EXPECT_TRUE(w.lbLinkNotice->text().startsWith(
        LangConst(QStringLiteral("LC_BALL_RESTART_NOTICE")).section(u'%', 0, 0)));
    for (TChart* chart : w.Charts())
        EXPECT_EQ(chart->findChildren<QCPItemStraightLine*>(QStringLiteral("restartMark")).size(),
                  1);

    SaveDialogAnswerer answer({f.Folder().Path(QStringLiteral("all.csv"))});
    Choose(w, w.acFileExport);
    const QStringList rows = ExportLines(f.Folder().Read(QStringLiteral("all.csv")));
    ASSERT_EQ(rows.size(), 1 + 3000);
    // One ball period from row to row, across the restart too: every line, in the order sent.
    for (int i = 2; i < rows.size(); ++i) {
        const double step = FieldNumber(rows[i].section(u'\t', 0, 0)) -
                            FieldNumber(rows[i - 1].section(u'\t', 0, 0));
        ASSERT_NEAR(step, 0.010, 0.0015) << "row " << i;
    }
    EXPECT_EQ(WindowFixture::SentLines(ball), 3000);
}
