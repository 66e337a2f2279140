// The window's session against ballsim on a pseudo-terminal: connect, start, pause, stop and
// disconnect, with the enabling rules checked in every state.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>

#include "controls/slim_track_bar.h"
#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/measure_thread.h"
#include "ui/chart.h"
#include "ui/value_list_editor.h"
#include "ui/window_fixture.h"

namespace {
enum class State { Disconnected, Connected, Measuring, Paused };

int ThreadCount() { return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(); }

// The enabling table, row by row, for one session state.
void ExpectEnabling(TfmMain& w, State state) {
    w.UpdateActions();
    const bool connected = state != State::Disconnected;
    const bool idle = state == State::Connected;
    const bool measuring = state == State::Measuring || state == State::Paused;
    SCOPED_TRACE(static_cast<int>(state));
    EXPECT_TRUE(w.acDeviceConnect->isEnabled());
    EXPECT_EQ(w.acDeviceConnect->isChecked(), connected);
    EXPECT_EQ(w.acDeviceStart->isEnabled(), idle);
    EXPECT_EQ(w.cbAcc->isEnabled(), idle);
    EXPECT_EQ(w.cbGyro->isEnabled(), idle);
    EXPECT_EQ(w.acDevicePause->isEnabled(), measuring);
    if (state != State::Connected) {
        EXPECT_EQ(w.acDevicePause->isChecked(), state == State::Paused);
    }
    EXPECT_EQ(w.acDeviceStop->isEnabled(), measuring);
    for (QAction* a : {w.acViewChooseCoord, w.acDeviceCalibrate, w.acDeviceAccCalibrate, w.acFileShowAll})
        EXPECT_EQ(a->isEnabled(), idle) << a->objectName().toStdString();
    EXPECT_EQ(w.acFileSetZeroMarker->isEnabled(), connected);
    EXPECT_FALSE(w.acFileMarkPoint->isEnabled());  // no cursor placed in these walks
    EXPECT_EQ(w.acFileExport->isEnabled(), idle);
    EXPECT_EQ(w.trMotor->isEnabled(), connected);
    EXPECT_EQ(w.bbPulse->isEnabled(), connected);
    EXPECT_EQ(w.vlePulse->isEnabled(), connected);
    for (QAction* a : {w.acFileExit, w.acHelpAbout, w.acViewToolBar, w.acViewStatusBar})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
}

// What a user does: the window has been idle (its rules ran), then the action is chosen.
void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
}

bool WaitForPoints(TfmMain& w, int count, int timeoutMs = 30000) {
    return QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= count; }, timeoutMs);
}
}  // namespace

TEST(Session, WalksThroughEveryStateWithItsEnablingRules) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    ExpectEnabling(w, State::Disconnected);

    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    EXPECT_EQ(w.StatusPanel(3)->text(), ball.Path());
    EXPECT_GE(w.DevTime, 0);
    EXPECT_EQ(w.OffTimeElapsed, w.DevTime);
    ExpectEnabling(w, State::Connected);

    Choose(w, w.acDeviceStart);
    EXPECT_TRUE(w.IsMeasuring());
    EXPECT_EQ(w.OffTimeElapsed, 0);
    EXPECT_EQ(w.CursorIndex, -1);
    ExpectEnabling(w, State::Measuring);
    ASSERT_TRUE(WaitForPoints(w, 10));

    Choose(w, w.acDevicePause);
    ExpectEnabling(w, State::Paused);
    // Stop while paused keeps the pause, and the next measurement starts frozen.
    Choose(w, w.acDeviceStop);
    EXPECT_FALSE(w.IsMeasuring());
    EXPECT_TRUE(w.acDevicePause->isChecked());
    ExpectEnabling(w, State::Connected);
    Choose(w, w.acDeviceStart);
    ExpectEnabling(w, State::Paused);
    ASSERT_TRUE(WindowFixture::WaitForHeldChunks(w));
    EXPECT_EQ(w.MasterSeries(0)->Count(), 0);
    Choose(w, w.acDevicePause);
    ExpectEnabling(w, State::Measuring);
    ASSERT_TRUE(WaitForPoints(w, 5));

    // A disconnect during a measurement stops it first.
    Choose(w, w.acDeviceConnect);
    EXPECT_FALSE(w.IsConnected());
    EXPECT_FALSE(w.tmStart->isActive());
    EXPECT_EQ(w.DevTime, -1);
    EXPECT_EQ(w.StatusPanel(3)->text(), QStringLiteral("<НЕТ>"));
    ExpectEnabling(w, State::Disconnected);
}

TEST(Session, AFailedConnectShowsNoneAndLeavesTheMotorAtZero) {
    WindowFixture f(WindowFixture::PortSettings(QStringLiteral("/nonexistent/tty")));
    TfmMain& w = f.Window();
    w.trMotor->SetPosition(40);
    Choose(w, w.acDeviceConnect);
    w.UpdateActions();
    EXPECT_FALSE(w.IsConnected());
    EXPECT_FALSE(w.acDeviceConnect->isChecked());
    EXPECT_EQ(w.StatusPanel(3)->text(), QStringLiteral("<НЕТ>"));
    EXPECT_FALSE(w.trMotor->isEnabled());
    EXPECT_EQ(w.trMotor->Position(), 0);
    EXPECT_EQ(w.lbMotor->text(), QStringLiteral("Мощность: 0 ед."));
    // The reason stays on screen without holding the window; a second try reuses the notice.
    auto* notice = w.findChild<QMessageBox*>(QStringLiteral("mbConnectNotice"));
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const QString text = notice->text();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Устройство не найдено.\n\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("/nonexistent/tty"))) << text.toStdString();
    Choose(w, w.acDeviceConnect);
    EXPECT_EQ(w.findChildren<QMessageBox*>(QStringLiteral("mbConnectNotice")).size(), 1);
}

TEST(Session, ACommandChecksItsRuleAgainRightBeforeItRuns) {
    BallsimProcess ball(QStringList{});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    f.Show();
    // A disabled action ignores its shortcut.
    QTest::keyClick(&w, Qt::Key_S, Qt::AltModifier);
    EXPECT_FALSE(w.IsConnected());

    Choose(w, w.acDeviceConnect);
    w.UpdateActions();
    ASSERT_TRUE(w.acDeviceStart->isEnabled());
    // The ball goes away between the idle update and the command.
    w.DisconnectDevice();
    Choose(w, w.acDeviceStart);
    EXPECT_FALSE(w.tmStart->isActive());
    EXPECT_FALSE(w.acDeviceStart->isEnabled());
}

TEST(Session, WhileThePortsAreProbedTheWindowRunsButTakesNoInput) {
    // The first identification reply comes too late, so the probe takes a while.
    BallsimProcess ball({QStringLiteral("--late"), QStringLiteral("1500"), QStringLiteral("--late-count"),
                         QStringLiteral("1")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    f.Show();
    bool ranDuringProbe = false;
    QTimer::singleShot(100, &w, [&] {
        ranDuringProbe = !w.IsConnected() && QApplication::overrideCursor() &&
                         QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        QTest::mouseClick(w.tlbMain->findChild<QWidget*>(QStringLiteral("tbDeviceConnect")), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_C, Qt::AltModifier);
    });
    QSignalSpy triggered(w.acDeviceConnect, &QAction::triggered);
    Choose(w, w.acDeviceConnect);
    QApplication::processEvents();
    EXPECT_TRUE(ranDuringProbe);
    EXPECT_EQ(triggered.size(), 1);
    // Neither the click nor the shortcut came through afterwards as a disconnect.
    EXPECT_TRUE(w.IsConnected());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Session, EverySampleOfAPauseAppearsAfterItAndNoneIsLost) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--stream-lines"),
                         QStringLiteral("900")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(WaitForPoints(w, 20));

    Choose(w, w.acDevicePause);
    const int atPause = w.MasterSeries(0)->Count();
    ASSERT_TRUE(WindowFixture::WaitForHeldChunks(w, 10));
    EXPECT_EQ(w.MasterSeries(0)->Count(), atPause);
    Choose(w, w.acDevicePause);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > atPause; }, 5000));
    ASSERT_TRUE(WaitForPoints(w, 900));
    Choose(w, w.acDeviceStop);

    const int sent = WindowFixture::SentLines(ball);
    EXPECT_EQ(sent, 900);
    for (TChart* chart : w.Charts()) {
        for (int i = 0; i < chart->SeriesCount(); ++i) EXPECT_EQ(chart->Series(i)->Count(), sent);
    }
}

TEST(Session, TheRangeRepliesSetTheAxisLimitsAndSteps) {
    BallsimProcess ball({QStringLiteral("--reply"), QStringLiteral("P G0:1=nonsense\\r\\n")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f.Window();
    auto step = [](QCPAxis* axis) {
        return qSharedPointerDynamicCast<QCPAxisTickerFixed>(axis->ticker())->tickStep();
    };
    Choose(w, w.acDeviceConnect);  // sends index 3 ("± 2g", the ball answers 2) and index 0
    ASSERT_TRUE(w.IsConnected());
    for (TChart* chart : {w.chAll, w.chAccGyro, w.chAccAng}) {
        EXPECT_EQ(chart->LeftAxis()->range(), QCPRange(-20.01, 20));
        EXPECT_DOUBLE_EQ(step(chart->LeftAxis()), 4);
    }
    EXPECT_EQ(w.chGyroAng->LeftAxis()->range(), QCPRange(-2000.01, 2000));
    EXPECT_DOUBLE_EQ(step(w.chAccGyro->RightAxis()), 400);

    w.cbAcc->setCurrentIndex(0);
    Q_EMIT w.cbAcc->activated(0);
    EXPECT_EQ(w.chAccAng->LeftAxis()->range(), QCPRange(-160.01, 160));
    EXPECT_DOUBLE_EQ(step(w.chAll->LeftAxis()), 32);

    // A reply that is not a number leaves the axes as they were.
    w.cbGyro->setCurrentIndex(1);
    Q_EMIT w.cbGyro->activated(1);
    EXPECT_EQ(w.chAll->RightAxis()->range(), QCPRange(-2000.01, 2000));

    // The next Start sets the same limits on every chart.
    Choose(w, w.acDeviceStart);
    EXPECT_EQ(w.chAccAng->LeftAxis()->range(), QCPRange(-160.01, 160));
    EXPECT_EQ(w.chAccAng->RightAxis()->range(), QCPRange(-360.01, 360));
    Choose(w, w.acDeviceStop);
}

TEST(Session, ClosingDuringAMeasurementLeavesNoThreadRunning) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4")});
    ASSERT_TRUE(ball.IsRunning());
    auto f = std::make_unique<WindowFixture>(WindowFixture::PortSettings(ball.Path()));
    TfmMain& w = f->Window();
    // The window's own helpers (the save dialog's folder watcher) count as before.
    const int before = ThreadCount();
    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(w.IsMeasuring());
    ASSERT_TRUE(WaitForPoints(w, 5));
    EXPECT_GT(ThreadCount(), before);

    w.QueryEndSession();  // no question on closing
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.IsConnected());
    EXPECT_LE(ThreadCount(), before);
    f.reset();
    EXPECT_LE(ThreadCount(), before);
}
