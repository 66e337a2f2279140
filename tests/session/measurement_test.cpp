// The measurement without a window, against ballsim: what its listeners hear and what its
// journal keeps.
#include "session/measurement.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include "app/settings.h"
#include "device/ballsim_process.h"
#include "device/device_test_support.h"
#include "device/measure_thread.h"
#include "model/journal_folder.h"
#include "model/record_reader.h"
#include "model/vector_record.h"
#include "support/temp_folder.h"

namespace {
// What a listener heard, in order; the samples are counted.
struct Heard : tMeasurementListener {
    QStringList steps;
    long long samples = 0;
    long long samplesAtLoss = -1;
    void MeasurementStarted() override { steps << "started"; }
    void ChunkDecoded(const tChunkResult& chunk) override { samples += chunk.samples.size(); }
    void GapPlaced(double from, double to) override { steps << (to > from ? "gap" : "bad gap"); }
    void RestartPlaced(double) override { steps << "restart"; }
    void MeasurementStopped() override { steps << "stopped"; }
    void BallLost(double) override {
        steps << "lost";
        samplesAtLoss = samples;
    }
    void BallReturned(bool continues) override { steps << (continues ? "returned" : "idle"); }
    void MeasurementContinued(double) override { steps << "continued"; }
    void MarkPlaced(const tEventMark& mark) override { steps << "mark " + mark.label; }
    void MarkLabelled(const tEventMark& mark) override { steps << "label " + mark.label; }
};

// One ball: ballsim, settings that point at it, a record folder and the measurement.
struct Ball {
    explicit Ball(const QStringList& arguments)
        : sim(arguments),
          settings(MakeSettings({{"Ports", sim.Path()}, {"CheckCount", "2"},
                                 {"RecordFolder", records.Root()}})),
          session(settings.get(), records.Path(QStringLiteral("mirelvane"))) {
        session.AddListener(&heard);
    }
    bool Connect() {
        tDeviceConnector connector(settings.get());
        connector.SetBatteryStep([this](tDevice&) { session.ReadBattery(); });
        return session.Connect(connector).isEmpty();
    }
    bool WaitForSamples(long long count) {
        return QTest::qWaitFor([&] { return session.Samples() >= count; }, 30000);
    }
    QString JournalPath() const {
        const QStringList found = QDir(records.Root()).entryList({QStringLiteral("*.mvrec")});
        return found.size() == 1 ? records.Path(found.first()) : QString();
    }
    QList<QByteArray> JournalLines() const {
        return ReadWholeFile(JournalPath()).split('\n');
    }
    QList<QByteArray> SampleLines() const {
        QList<QByteArray> lines;
        for (const QByteArray& line : JournalLines())
            if (line.startsWith("ax:")) lines << line;
        return lines;
    }
    int Events(const char* kind) const {
        int count = 0;
        for (const QByteArray& line : JournalLines()) {
            const QList<QByteArray> words = line.trimmed().split(' ');
            count += words.size() >= 3 && words[0] == "#event" && words[2] == kind;
        }
        return count;
    }

    TempFolder records;
    BallsimProcess sim;
    std::unique_ptr<tSettings> settings;
    tMeasurement session;
    Heard heard;
};
}  // namespace

TEST(Measurement, StartPauseAndStopKeepEveryLineInTheJournalAndTellEachStep) {
    Ball ball({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--stream-lines"),
               QStringLiteral("120"), QStringLiteral("--battery"), QStringLiteral("64")});
    ASSERT_TRUE(ball.Connect());
    EXPECT_EQ(ball.session.SetAccRange(3, QStringLiteral("± 2g")), 2);
    EXPECT_DOUBLE_EQ(ball.session.AccLimits().Max, 20.0);
    ball.session.Start();
    ASSERT_TRUE(ball.session.IsMeasuring());
    ASSERT_TRUE(ball.WaitForSamples(20));

    // Paused, the drain leaves the stream's lines queued; nothing is lost by it.
    ball.session.SetPaused(true);
    const long long held = ball.session.Samples();
    QSignalSpy drains(ball.session.DrainTimer(), &QTimer::timeout);
    const tMeasureThread* thread = ball.session.Device()->MeasureThread();
    ASSERT_TRUE(QTest::qWaitFor([&] { return drains.size() >= 3 && thread->QueuedPackets() > 0; }, 20000));
    EXPECT_EQ(ball.session.Samples(), held);
    ball.session.SetPaused(false);
    ASSERT_TRUE(ball.WaitForSamples(120));
    ball.session.Stop();

    EXPECT_EQ(ball.heard.steps, (QStringList{"started", "stopped"}));
    EXPECT_EQ(ball.heard.samples, 120);
    EXPECT_EQ(ball.session.Battery(), 64);
    EXPECT_EQ(ball.SampleLines().size(), 120);
    const QList<QByteArray> lines = ball.JournalLines();
    EXPECT_TRUE(lines.contains("#battery 64\r"));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QByteArray& line) {
        return line.startsWith("#acc -20.01") && line.endsWith(QStringLiteral(" 20 ± 2g\r").toUtf8());
    }));
    for (const char* kind : {"pause", "resume", "lines", "stop"}) EXPECT_EQ(ball.Events(kind), 1) << kind;
    EXPECT_TRUE(JournalIsSettled(ball.JournalPath()));
}

TEST(Measurement, ALostBallsReturnContinuesTheRecordInTheSameJournalAfterAGap) {
    Ball ball({QStringLiteral("--speed"), QStringLiteral("2"), QStringLiteral("--unplug-after"),
               QStringLiteral("50"), QStringLiteral("--replug-after-ms"), QStringLiteral("500")});
    ASSERT_TRUE(ball.Connect());
    ball.session.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.heard.steps.contains("continued"); }, 30000));
    EXPECT_EQ(ball.heard.samplesAtLoss, 50);
    ASSERT_TRUE(ball.WaitForSamples(90));
    ball.session.Stop();

    EXPECT_EQ(ball.heard.steps, (QStringList{"started", "stopped", "lost", "returned", "continued",
                                             "gap", "stopped"}));
    EXPECT_EQ(ball.session.Clock().LostLines(), 0);
    EXPECT_EQ(ball.SampleLines().size(), ball.heard.samples);
    for (const char* kind : {"loss", "reconnect", "gap", "stop"}) EXPECT_EQ(ball.Events(kind), 1) << kind;
    EXPECT_EQ(ball.Events("lines"), 2);
}

TEST(Measurement, ARestartOfTheBallIsToldAndJournaledAndTheRecordGoesOn) {
    // The lines' time starts again from 1 s, where it stood at 1.2 s or later.
    Ball ball({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--restart-after"),
               QStringLiteral("120"), QStringLiteral("--stream-lines"), QStringLiteral("150")});
    ASSERT_TRUE(ball.Connect());
    ball.session.Start();
    ASSERT_TRUE(ball.WaitForSamples(150));
    ball.session.Stop();
    EXPECT_EQ(ball.heard.steps, (QStringList{"started", "restart", "stopped"}));
    EXPECT_EQ(ball.session.Clock().Restarts(), 1);
    EXPECT_EQ(ball.Events("restart"), 1);
    EXPECT_EQ(ball.SampleLines().size(), 150);
}

// A signal ends the measurement with every line the stream thread had read, and leaves the
// journal unfinished, to be offered for restoring.
TEST(Measurement, EndingForASignalJournalsEveryLineReadAndNoStop) {
    Ball ball({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--stream-lines"),
               QStringLiteral("80")});
    ASSERT_TRUE(ball.Connect());
    ball.session.Start();
    const tMeasureThread* thread = ball.session.Device()->MeasureThread();
    ASSERT_TRUE(QTest::qWaitFor([&] { return thread->LinesRead() >= 80; }, 30000));
    ball.session.EndBySignal(QStringLiteral("SIGTERM"));
    EXPECT_FALSE(ball.session.IsMeasuring());
    EXPECT_EQ(ball.SampleLines().size(), 80);
    EXPECT_EQ(ball.Events("signal"), 1);
    EXPECT_EQ(ball.Events("stop"), 0);
    EXPECT_EQ(FindCrashedJournal(ball.records.Root()), ball.JournalPath());
    EXPECT_EQ(ball.heard.steps, (QStringList{"started", "stopped"}));
}

// Two balls in one process: each measurement has its own clock, ranges and journal.
TEST(Measurement, TwoBallsRecordIndependently) {
    Ball first({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--stream-lines"),
                QStringLiteral("40"), QStringLiteral("--battery"), QStringLiteral("31")});
    Ball second({QStringLiteral("--speed"), QStringLiteral("4"), QStringLiteral("--stream-lines"),
                 QStringLiteral("140"), QStringLiteral("--battery"), QStringLiteral("77"),
                 QStringLiteral("--restart-after"), QStringLiteral("120")});
    ASSERT_TRUE(first.Connect());
    ASSERT_TRUE(second.Connect());
    EXPECT_EQ(first.session.SetGyroRange(4, QStringLiteral("125 °/сек")), 125);
    first.session.Start();
    second.session.Start();
    ASSERT_TRUE(first.WaitForSamples(40));
    ASSERT_TRUE(second.WaitForSamples(140));
    first.session.Stop();
    second.session.Stop();

    EXPECT_DOUBLE_EQ(first.session.GyroLimits().Max, 125);
    EXPECT_DOUBLE_EQ(second.session.GyroLimits().Max, kStartGyroLimits.Max);
    EXPECT_EQ(first.session.Clock().Restarts(), 0);
    EXPECT_EQ(second.session.Clock().Restarts(), 1);
    for (const auto& [ball, count, battery] :
         {std::tuple{&first, 40, "\tb:31\r"}, std::tuple{&second, 140, "\tb:77\r"}}) {
        const QList<QByteArray> lines = ball->SampleLines();
        EXPECT_EQ(lines.size(), count);
        for (const QByteArray& line : lines) EXPECT_TRUE(line.endsWith(battery)) << line.constData();
        EXPECT_TRUE(ReadWholeFile(ball->JournalPath()).contains("#port " + ball->sim.Path().toUtf8()));
    }
}

// A mark is timed by the host's clock at the press, not by the last chunk, and is kept while
// measuring, paused and while the ball is away; the journal gives the marks back.
TEST(Measurement, MarksWhileMeasuringPausedOrLostAreJournaledAndReadBack) {
    Ball ball({QStringLiteral("--unplug-after"), QStringLiteral("80"),
               QStringLiteral("--replug-after-ms"), QStringLiteral("800")});
    ASSERT_TRUE(ball.Connect());
    EXPECT_FALSE(ball.session.Mark());
    ball.session.Start();
    ASSERT_EQ(ball.session.Mark(QStringLiteral("at once")), 1);
    ASSERT_TRUE(ball.WaitForSamples(20));
    const double before = ball.session.Clock().LastTime();
    ASSERT_EQ(ball.session.Mark(QStringLiteral("walk\tstarts")), 2);
    ball.session.SetPaused(true);
    ASSERT_EQ(ball.session.Mark(), 3);
    ball.session.SetPaused(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.heard.steps.contains("lost"); }, 30000));
    ASSERT_EQ(ball.session.Mark(QStringLiteral("while away")), 4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.heard.steps.contains("continued"); }, 30000));
    ASSERT_TRUE(ball.WaitForSamples(ball.heard.samplesAtLoss + 30));
    EXPECT_TRUE(ball.session.RelabelMark(3, QStringLiteral("paused")));
    ball.session.Stop();
    EXPECT_FALSE(ball.session.Mark());

    const std::vector<tEventMark>& marks = ball.session.Marks().All();
    ASSERT_EQ(marks.size(), 4u);
    EXPECT_EQ(marks[1].label, QStringLiteral("walk starts"));
    // Later than the last sample shown at the press, never before it.
    EXPECT_GE(marks[1].at, before - 0.005);
    for (size_t i = 1; i < marks.size(); ++i) EXPECT_LT(marks[i - 1].at, marks[i].at);
    EXPECT_TRUE(ball.heard.steps.contains("label paused"));
    EXPECT_EQ(ball.Events("mark"), 5);

    tVectorRecord sink;
    tRecordInfo info;
    ASSERT_FALSE(ReadRecordFile(ball.JournalPath(), sink, info));
    ASSERT_EQ(info.marks.Count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(info.marks.All()[i].label, marks[i].label);
        EXPECT_NEAR(info.marks.All()[i].at, marks[i].at, 0.0005);
    }
    // The host's clock beside the ball's, at least once a second of the stream.
    ASSERT_GE(info.clock.size(), 2u);
    EXPECT_GE(info.clock.front().samples, 1);
    // Before the ball went away its clock was the record's.
    const double startHost = info.clock.front().monotonic - info.clock.front().device;
    EXPECT_NEAR(ball.session.HostClock().HostAt(before) - before, startHost, 0.3);
}
