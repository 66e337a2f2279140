// The recording journal of real sessions with ballsim: opened again it exports as the live
// record did, and after a kill -9 it holds what the ball sent and is offered for restoring.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <memory>

#include "base/builtin_texts.h"
#include "device/ballsim_process.h"
#include "e2e/ball_session.h"
#include "model/journal_folder.h"
#include "model/record_reader.h"
#include "model/vector_record.h"
#include "support/message_box_answerer.h"

namespace {
QByteArray RecordSettings(const QString& port, const QString& records) {
    return WindowFixture::PortSettings(port) + "RecordFolder=" + records.toLocal8Bit() + "\r\n";
}

// The child of the kill test: streams from the ball with a trace of every line until killed.
void StreamUntilKilled(const QString& dir, int lines) {
    WindowFixture f(RecordSettings(qEnvironmentVariable("MIRELVANE_KILL_BALL"), dir + "/records"));
    MeasureTrace trace(dir + QStringLiteral("/trace.log"));
    TfmMain& w = f.Window();
    f.Show();
    Choose(w, w.acDeviceConnect);
    ASSERT_TRUE(w.IsConnected());
    Choose(w, w.acDeviceStart);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= lines; }, 120000));
    QFile ready(dir + QStringLiteral("/ready"));
    ready.open(QIODevice::WriteOnly);
    ready.close();
    QTest::qWait(300000);  // streams on until the parent kills it
}
}  // namespace

TEST(JournalSession, AJournalOpenedAgainExportsAsTheLiveRecordDid) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"),
                         QStringLiteral("--stream-lines"), QStringLiteral("300"),
                         QStringLiteral("--garbage"), QStringLiteral("37")});
    ASSERT_TRUE(ball.IsRunning());
    TempFolder records;
    const QByteArray settings = RecordSettings(ball.Path(), records.Root());
    WindowFixture f(settings);
    f.Window().pmZeroItems[2]->setChecked(true);
    RecordFromBall(f, 280);
    const QStringList live = ExportThroughWindow(f, QStringLiteral("live.csv"));
    ASSERT_GT(live.size(), 280);
    const QStringList journals = JournalsOf(records.Root());
    ASSERT_EQ(journals.size(), 1);
    EXPECT_TRUE(JournalIsSettled(journals[0]));

    WindowFixture g(settings);
    g.Show();
    ASSERT_TRUE(g.Window().OpenRecordFile(journals[0]));
    EXPECT_EQ(ExportThroughWindow(g, QStringLiteral("journal.csv")), live);
    // The exported file opens to the same record as well.
    ASSERT_TRUE(g.Window().OpenRecordFile(f.Folder().Path(QStringLiteral("live.csv"))));
    EXPECT_EQ(ExportThroughWindow(g, QStringLiteral("again.csv")), live);
}

TEST(JournalSession, AFolderThatCannotBeWrittenLeavesTheMeasurementRunningAndSaysSo) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"),
                         QStringLiteral("--stream-lines"), QStringLiteral("60")});
    ASSERT_TRUE(ball.IsRunning());
    TempFolder dir;
    // A file where the folder should be.
    WindowFixture f(RecordSettings(ball.Path(), dir.Write(QStringLiteral("records"), "x")));
    auto trace = std::make_unique<MeasureTrace>(f.Folder().Path(QStringLiteral("trace.log")));
    RecordFromBall(f, 60);
    trace.reset();
    EXPECT_EQ(f.Window().StatusPanel(0)->text(), LangConst(QStringLiteral("LC_RECORD_NOT_SAVED")));
    EXPECT_TRUE(f.Folder().Read(QStringLiteral("trace.log")).contains("JOURNAL NOT SAVED: "));
    EXPECT_EQ(f.Window().MasterSeries(0)->Count(), 60);
}

// The test program runs itself again as the child that streams; this parent kills it with
// SIGKILL and then starts a window on the same records folder.
TEST(JournalAfterKill, HoldsTheLinesTheBallSentAndIsRestoredSampleForSample) {
    constexpr int kLines = 400;
    if (qEnvironmentVariableIsSet("MIRELVANE_KILL_RUN")) {
        StreamUntilKilled(qEnvironmentVariable("MIRELVANE_KILL_RUN"), kLines);
        return;
    }
    BallsimProcess ball({QStringLiteral("--garbage"), QStringLiteral("50")});
    ASSERT_TRUE(ball.IsRunning());
    TempFolder dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("MIRELVANE_KILL_RUN"), dir.Root());
    env.insert(QStringLiteral("MIRELVANE_KILL_BALL"), ball.Path());
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=JournalAfterKill.*")});
    ASSERT_TRUE(child.waitForStarted());
    const bool ready = QTest::qWaitFor(
        [&] {
            return QFile::exists(dir.Path(QStringLiteral("ready"))) ||
                   child.state() == QProcess::NotRunning;
        },
        180000);
    ASSERT_TRUE(ready && child.state() == QProcess::Running) << child.readAll().toStdString();
    child.kill();
    ASSERT_TRUE(child.waitForFinished());

    const std::vector<SentSample> sent = SentSamples(dir.Read(QStringLiteral("trace.log")));
    const QStringList journals = JournalsOf(dir.Path(QStringLiteral("records")));
    ASSERT_EQ(journals.size(), 1);
    EXPECT_FALSE(JournalIsSettled(journals[0]));
    tVectorRecord journal;
    tRecordInfo info;
    ASSERT_FALSE(ReadRecordFile(journals[0], journal, info));
    // At most the last five seconds are missing, at the rate the ball sent, and one chunk.
    ASSERT_GE(sent.size(), size_t(kLines));
    ASSERT_LE(journal.Count(), int(sent.size()));
    const double rate = double(sent.size()) / (sent.back().time - sent.front().time);
    EXPECT_GE(journal.Count(), int(sent.size()) - int(5 * rate) - 32) << sent.size();

    MessageBoxAnswerer answer({QMessageBox::Yes});
    WindowFixture f(RecordSettings(QString(), dir.Path(QStringLiteral("records"))));
    TfmMain& w = f.Window();
    f.Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() > 0; }, 10000));
    ASSERT_EQ(answer.seen().size(), 1);
    EXPECT_EQ(answer.seen()[0].title, LoadStr(20003));
    ASSERT_EQ(w.MasterSeries(0)->Count(), journal.Count());
    for (int i = 0; i < journal.Count(); ++i) {
        const SentSample& s = sent[size_t(i)];
        ASSERT_NEAR(w.MasterSeries(0)->Points()->TimeAt(i), s.time, 1e-6) << i;
        for (int k = 0; k < kChannelCount; ++k)
            ASSERT_NEAR(w.MasterSeries(k)->Points()->ValueAt(i), s.value[k], 1e-9) << i << " " << k;
    }
    w.UpdateActions();
    EXPECT_TRUE(w.acFileExport->isEnabled());
    EXPECT_TRUE(JournalIsSettled(journals[0]));
}
