// A user's session with the window: the keyboard shortcuts against ballsim, with the trace log
// on, and the log and the charts checked afterwards.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QRegularExpression>
#include <QTabWidget>
#include <memory>

#include "app/log_file.h"
#include "device/ballsim_process.h"
#include "ui/chart.h"
#include "ui/value_list_editor.h"
#include "ui/window_fixture.h"

namespace {
// The trace log of one test, in the test's folder; the shared discarding log comes back after.
class TraceLog {
public:
    explicit TraceLog(const QString& path)
        : saved_(LogFile),
          log_(std::make_unique<tLogFile>(path, QStringList{QStringLiteral("prog"), QStringLiteral("-LOG")})) {
        LogFile = log_.get();
    }
    ~TraceLog() { End(); }
    void End() {
        if (!log_) return;
        LogFile = saved_;
        log_.reset();
    }

private:
    tLogFile* saved_;
    std::unique_ptr<tLogFile> log_;
};

void Press(TfmMain& w, Qt::Key key) {
    w.UpdateActions();
    QTest::keyClick(&w, key, Qt::AltModifier);
}

// The index of the first line at or after `from` that holds `text`, or -1.
int FindLine(const QStringList& lines, const QString& text, int from) {
    for (int i = from; i < lines.size(); ++i)
        if (lines[i].contains(text)) return i;
    return -1;
}
}  // namespace

TEST(UserSession, ShortcutsConnectStartPauseResumeAndStopWithoutLosingASample) {
    // The stream ends by itself after 800 lines, every 40th of them garbage, so that the count
    // of what the window got can be exact.
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("3"), QStringLiteral("--garbage"),
                         QStringLiteral("40"), QStringLiteral("--stream-lines"), QStringLiteral("800")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TraceLog log(f.Folder().Path(QStringLiteral("mirelvane.log")));
    TfmMain& w = f.Window();
    f.Show();

    Press(w, Qt::Key_C);
    ASSERT_TRUE(w.IsConnected());
    EXPECT_EQ(w.StatusPanel(3)->text(), ball.Path());
    Press(w, Qt::Key_S);
    ASSERT_TRUE(w.IsMeasuring());
    for (QWidget* page : {w.tsAccGyro, w.tsAccAng, w.tsGyroAng}) {
        w.pcChart->setCurrentWidget(page);
        const int seen = w.MasterSeries(0)->Count();
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > seen + 20; }, 20000));
    }
    EXPECT_FALSE(w.vleData->Value(QStringLiteral("az, м/с^2")).isEmpty());

    Press(w, Qt::Key_P);
    EXPECT_TRUE(w.acDevicePause->isChecked());
    const int atPause = w.MasterSeries(0)->Count();
    ASSERT_TRUE(WindowFixture::WaitForHeldChunks(w, 8));
    EXPECT_EQ(w.MasterSeries(0)->Count(), atPause);
    Press(w, Qt::Key_P);
    EXPECT_FALSE(w.acDevicePause->isChecked());
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > atPause; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= 780; }, 30000));
    Press(w, Qt::Key_T);
    EXPECT_FALSE(w.IsMeasuring());
    const int recorded = w.MasterSeries(0)->Count();
    for (TChart* chart : {w.chAccGyro, w.chAccAng, w.chGyroAng})
        EXPECT_EQ(chart->Series(5)->Count(), recorded) << chart->objectName().toStdString();
    f.Close();
    log.End();

    // Every line the ball sent is either a point or a rejected line.
    const int sent = WindowFixture::SentLines(ball);
    const QStringList lines =
        QString::fromUtf8(f.Folder().Read(QStringLiteral("mirelvane.log"))).split(QStringLiteral("\r\n"));
    const int rejected = int(lines.filter(QStringLiteral(" PACKET ERROR:")).size());
    EXPECT_EQ(sent, 800);
    EXPECT_EQ(rejected, sent / 40);
    EXPECT_EQ(recorded + rejected, sent);
    // The session's steps, in order.
    int at = 0;
    for (const char* step : {"Registry created", "DevTime:", "SEND: BIN 'P A0:3", "SEND: BIN 'P G0:0",
                             "START COMMAND WRITTEN", "SEND: BIN 'T"}) {
        const int found = FindLine(lines, QString::fromUtf8(step), at);
        EXPECT_GE(found, at) << step;
        if (found >= 0) at = found;
    }
}
