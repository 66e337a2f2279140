// mirelvane-record as a user runs it, against ballsim on real pseudo-terminals.
#include <signal.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <map>

#include "device/ballsim_process.h"
#include "model/journal_folder.h"
#include "model/record_reader.h"
#include "model/vector_record.h"
#include "support/temp_folder.h"

namespace {
const QString kRecorder = QStringLiteral(MIRELVANE_BIN_DIR "/mirelvane-record");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Recorder {
    QProcess process;
    QByteArray out;

    void Start(const QStringList& arguments) {
        process.setProgram(kRecorder);
        process.setArguments(arguments);
        process.start();
        ASSERT_TRUE(process.waitForStarted());
    }
    bool WaitFor(const QByteArray& text, int ms = 30000) {
        return QTest::qWaitFor([&] {
            process.waitForReadyRead(20);
            out += process.readAllStandardOutput();
            return out.contains(text) || process.state() == QProcess::NotRunning;
        }, ms) && out.contains(text);
    }
    int Finish(int ms = 60000) {
        if (!process.waitForFinished(ms)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        out += process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }
    QByteArray Errors() { return process.readAllStandardError(); }
};

// The rows of a data export: the columns by name.
struct DataFile {
    QList<QByteArray> header;
    std::vector<std::vector<double>> rows;
    explicit DataFile(const QString& path) {
        const QList<QByteArray> lines = ReadAll(path).split('\n');
        if (lines.isEmpty()) return;
        header = lines[0].split('\t');
        for (int i = 1; i < lines.size(); ++i) {
            if (lines[i].isEmpty()) continue;
            std::vector<double> row;
            for (const QByteArray& cell : lines[i].split('\t')) row.push_back(cell.toDouble());
            rows.push_back(row);
        }
    }
    std::vector<double> Column(const char* name) const {
        const int k = int(header.indexOf(name));
        std::vector<double> column;
        for (const auto& row : rows) column.push_back(k >= 0 && k < int(row.size()) ? row[k] : NAN);
        return column;
    }
};

// ballsim's log of the lines it sent: each line's time (ms) and the host's send time (s).
std::vector<std::pair<long long, double>> SendLog(const QString& path) {
    std::vector<std::pair<long long, double>> sent;
    for (const QByteArray& line : ReadAll(path).split('\n')) {
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() == 2) sent.emplace_back(cells[0].toLongLong(), cells[1].toDouble());
    }
    return sent;
}

// Every line ballsim wrote before the last one recorded is in the export, in order.
void ExpectEveryLineSent(const std::vector<std::pair<long long, double>>& sent,
                         const std::vector<double>& t) {
    ASSERT_FALSE(t.empty());
    std::vector<long long> wanted, got;
    for (const auto& [ms, host] : sent)
        if (ms <= std::llround(t.back() * 1000)) wanted.push_back(ms);
    for (const double s : t) got.push_back(std::llround(s * 1000));
    EXPECT_EQ(got, wanted);
}

int JournalSamples(const QString& folder) {
    int count = 0;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.mvrec")}))
        count += int(ReadAll(folder + u'/' + name).count("\nax:"));
    return count;
}

TEST(Recorder, UsageErrorsAndAMissingBallHaveTheirExitCodes) {
    Recorder bad;
    bad.Start({QStringLiteral("--lines"), QStringLiteral("many")});
    EXPECT_EQ(bad.Finish(), 2);
    const QByteArray error = bad.Errors();
    EXPECT_TRUE(error.contains("--lines")) << error.constData();
    EXPECT_EQ(error.count('\n'), 1);

    TempFolder out;
    Recorder none;
    none.Start({QStringLiteral("--port"), out.Path(QStringLiteral("no-such-tty")), QStringLiteral("--out"), out.Root()});
    EXPECT_EQ(none.Finish(), 3);
    EXPECT_TRUE(none.Errors().contains("no ball on"));
}

TEST(Recorder, OneBallEndToEndWithMarksAndNoStopAtEndOfInput) {
    TempFolder out;
    BallsimProcess sim({QStringLiteral("--host-clock"), QStringLiteral("--send-log"), out.Path(QStringLiteral("sent.log"))});
    ASSERT_FALSE(sim.Path().isEmpty());
    Recorder recorder;
    recorder.Start({QStringLiteral("--port"), sim.Path(), QStringLiteral("--out"), out.Path(QStringLiteral("files")),
                    QStringLiteral("--name"), QStringLiteral("one"), QStringLiteral("--format"), QStringLiteral("data"),
                    QStringLiteral("--lines"), QStringLiteral("250")});
    ASSERT_TRUE(recorder.WaitFor("recording 1 ball")) << recorder.out.constData();
    recorder.process.write("mark go now\njump\n");
    recorder.process.closeWriteChannel();
    ASSERT_TRUE(recorder.WaitFor("standard input ended"));
    EXPECT_EQ(recorder.Finish(), 0) << recorder.out.constData();
    EXPECT_TRUE(recorder.Errors().contains("unknown command: jump"));

    const DataFile data(out.Path(QStringLiteral("files/one.tsv")));
    EXPECT_EQ(data.header.first(), "t");
    EXPECT_FALSE(data.header.contains("t_host"));  // one ball: no shared time
    EXPECT_GE(data.rows.size(), 250u);
    ExpectEveryLineSent(SendLog(out.Path(QStringLiteral("sent.log"))), data.Column("t"));
    EXPECT_TRUE(ReadAll(out.Path(QStringLiteral("files/one_events.tsv"))).contains("\tgo now\n"));
    // The journal took the files' name and ended with its stop line.
    const QByteArray journal = ReadAll(out.Path(QStringLiteral("files/one.mvrec")));
    EXPECT_TRUE(journal.trimmed().endsWith(" stop"));
}

TEST(Recorder, TwoBallsWithOffsetAndDriftingClocksShareOneTimeBase) {
    TempFolder out;
    BallsimProcess a({QStringLiteral("--host-clock"), QStringLiteral("--clock-offset"), QStringLiteral("300000"),
                      QStringLiteral("--send-log"), out.Path(QStringLiteral("a.log"))});
    BallsimProcess b({QStringLiteral("--host-clock"), QStringLiteral("--clock-offset"), QStringLiteral("50000"),
                      QStringLiteral("--drift"), QStringLiteral("100"), QStringLiteral("--send-log"),
                      out.Path(QStringLiteral("b.log"))});
    Recorder recorder;
    recorder.Start({QStringLiteral("--port"), a.Path(), QStringLiteral("--port"), b.Path(), QStringLiteral("--out"),
                    out.Root(), QStringLiteral("--name"), QStringLiteral("two"), QStringLiteral("--format"),
                    QStringLiteral("data"), QStringLiteral("--duration"), QStringLiteral("3")});
    EXPECT_EQ(recorder.Finish(), 0) << recorder.out.constData() << recorder.Errors().constData();
    const int at = int(recorder.out.indexOf("t_host 0 is "));
    ASSERT_GE(at, 0);
    const double start = recorder.out.mid(at + 12, 30).split(' ').first().toDouble();

    std::vector<double> errors;
    for (const char* ball : {"1", "2"}) {
        const DataFile data(out.Path(QStringLiteral("two_ball%1.tsv").arg(ball)));
        const auto sent = SendLog(out.Path(ball[0] == '1' ? QStringLiteral("a.log") : QStringLiteral("b.log")));
        ExpectEveryLineSent(sent, data.Column("t"));
        std::map<long long, double> sentAt(sent.begin(), sent.end());
        const std::vector<double> t = data.Column("t"), host = data.Column("t_host");
        for (size_t i = 0; i < t.size(); ++i) errors.push_back(std::abs(host[i] - (sentAt[std::llround(t[i] * 1000)] - start)));
    }
    ASSERT_GT(errors.size(), 400u);
    std::sort(errors.begin(), errors.end());
    // Wrong offsets or an unfitted drift would be seconds off; a few ms is the aim (bench).
    EXPECT_LT(errors[errors.size() / 2], 0.02);
}

TEST(Recorder, SigtermEndsWithCompleteFilesAndKillLeavesARestorableJournal) {
    TempFolder out;
    BallsimProcess sim{QStringList()};
    ASSERT_FALSE(sim.Path().isEmpty());
    for (const int signal : {SIGTERM, SIGKILL}) {
        const QString folder = out.Path(QString::number(signal));
        Recorder recorder;
        recorder.Start({QStringLiteral("--port"), sim.Path(), QStringLiteral("--out"), folder,
                        QStringLiteral("--format"), QStringLiteral("data"), QStringLiteral("--name"), QStringLiteral("r")});
        ASSERT_TRUE(recorder.WaitFor("recording 1 ball"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return JournalSamples(folder) >= 150; }, 30000));
        ::kill(recorder.process.processId(), signal);
        const int code = recorder.Finish();
        const QStringList journals = QDir(folder).entryList({QStringLiteral("*.mvrec")});
        ASSERT_EQ(journals.size(), 1);
        const QString journal = folder + u'/' + journals.first();
        tVectorRecord record;
        tRecordInfo info;
        EXPECT_FALSE(ReadRecordFile(journal, record, info));
        EXPECT_GE(record.Count(), 150);
        if (signal == SIGTERM) {
            EXPECT_EQ(code, 0);
            EXPECT_TRUE(info.stopped);
            EXPECT_TRUE(ReadAll(journal).contains(" signal SIGTERM"));
            EXPECT_EQ(int(DataFile(folder + QStringLiteral("/r.tsv")).rows.size()), record.Count());
        } else {
            // The window offers to restore what a killed recorder left.
            EXPECT_EQ(FindCrashedJournal(folder), journal);
        }
    }
}

// The BIDS validator from the npm registry: scripts/test installs it into the build's cache
// folder; without it the test tries npm itself and is skipped, saying so, only when that fails.
QString BidsValidator() {
    const QString cached = QStringLiteral(BIDS_VALIDATOR_CACHE "/node_modules/.bin/bids-validator");
    if (QFile::exists(cached)) return cached;
    const QString npm = QStandardPaths::findExecutable(QStringLiteral("npm"));
    if (npm.isEmpty()) return QString();
    QProcess install;
    install.start(npm, {QStringLiteral("install"), QStringLiteral("--prefix"), QStringLiteral(BIDS_VALIDATOR_CACHE),
                        QStringLiteral("--no-audit"), QStringLiteral("--no-fund"), QStringLiteral("bids-validator@1.15.0")});
    install.waitForFinished(600000);
    return QFile::exists(cached) ? cached : QString();
}

TEST(Recorder, BidsDatasetOfTwoBallsPassesTheValidator) {
    const QString validator = BidsValidator();
    if (validator.isEmpty())
        GTEST_SKIP() << "bids-validator could not be installed from the npm registry (needs nodejs and npm); "
                        "scripts/test installs it";
    TempFolder out;
    BallsimProcess a{QStringList()}, b{QStringList()};
    Recorder recorder;
    const QString dataset = out.Path(QStringLiteral("dataset"));
    recorder.Start({QStringLiteral("--port"), a.Path(), QStringLiteral("--port"), b.Path(), QStringLiteral("--out"),
                    dataset, QStringLiteral("--format"), QStringLiteral("bids"), QStringLiteral("--lines"), QStringLiteral("150")});
    ASSERT_TRUE(recorder.WaitFor("recording 2 balls"));
    recorder.process.write("mark cue\n");
    EXPECT_EQ(recorder.Finish(), 0) << recorder.Errors().constData();
    const QString motion = dataset + QStringLiteral("/sub-01/motion/sub-01_task-recording_tracksys-ball2");
    EXPECT_TRUE(ReadAll(motion + QStringLiteral("_channels.tsv")).contains("t_host\tn/a\tLATENCY"));
    EXPECT_TRUE(ReadAll(motion + QStringLiteral("_events.tsv")).contains("\tcue\n"));

    QProcess check;
    check.start(validator, {dataset, QStringLiteral("--no-color")});
    ASSERT_TRUE(check.waitForFinished(300000));
    const QByteArray report = check.readAllStandardOutput() + check.readAllStandardError();
    EXPECT_EQ(check.exitCode(), 0) << report.constData();
    EXPECT_FALSE(report.contains("[ERR]")) << report.constData();
}
}  // namespace
