// A record from ballsim, reviewed and exported through the window, and the file compared with
// the lines the ball sent; once more under Russian regional settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QProcess>
#include <QRegularExpression>
#include <QTabWidget>
#include <cstdio>
#include <memory>

#include "app/command_line.h"
#include "app/log_file.h"
#include "device/ballsim_process.h"
#include "ui/chart.h"
#include "ui/export_support.h"
#include "ui/review_record.h"
#include "ui/window_fixture.h"

namespace {
// One received sample line, read with the C library and scaled as the ball's units say.
struct SentSample {
    double time;
    double value[kChannelCount];
};

bool ReadSampleLine(const QByteArray& line, SentSample& sample) {
    float f[10];
    int b = 0;
    if (std::sscanf(line.constData(),
                    "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d",
                    &f[0], &f[1], &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &b) != 11)
        return false;
    for (int k = 0; k < 3; ++k) sample.value[k] = 9.81 * f[k] / 32768.0;
    for (int k = 3; k < 6; ++k) sample.value[k] = f[k] / 32768.0;
    for (int k = 6; k < 9; ++k) sample.value[k] = f[k] * 0.001;
    sample.time = static_cast<float>(f[9] * 0.001);
    return true;
}

// The window's trace of every received line ("-LOG -LOG_MEASURE"), for the test's lifetime.
class MeasureTrace {
public:
    explicit MeasureTrace(const QString& path)
        : saved_(LogFile), log_(path, {QStringLiteral("prog"), QStringLiteral("-LOG")}) {
        SetCommandLine({QStringLiteral("tests"), QStringLiteral("-LOG_MEASURE")});
        LogFile = &log_;
    }
    ~MeasureTrace() {
        LogFile = saved_;
        SetCommandLine({QStringLiteral("tests")});
    }

private:
    tLogFile* saved_;
    tLogFile log_;
};

std::vector<SentSample> SentSamples(const QByteArray& log) {
    std::vector<SentSample> samples;
    for (const QByteArray& line : log.split('\n')) {
        const int at = static_cast<int>(line.indexOf("ax:"));
        SentSample sample{};
        if (at >= 0 && ReadSampleLine(line.mid(at), sample)) samples.push_back(sample);
    }
    return samples;
}

void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
}

// Connects to the ball, records until it has sent all its lines, and stops.
void RecordFromBall(WindowFixture& f, int lines) {
    TfmMain& w = f.Window();
    f.ConnectAndStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= lines; }, 60000));
    Choose(w, w.acDeviceStop);
    ASSERT_FALSE(w.IsMeasuring());
}

QStringList ExportThroughWindow(WindowFixture& f, const QString& name) {
    SaveDialogAnswerer answer({f.Folder().Path(name)});
    Choose(f.Window(), f.Window().acFileExport);
    return ExportLines(f.Folder().Read(name));
}

// Every field of an exported row against the sample it stands for.
void ExpectRow(const QString& row, const SentSample& sample, double t0, QChar separator) {
    const QStringList fields = row.split(u'\t');
    ASSERT_EQ(fields.size(), 1 + kChannelCount) << row.toStdString();
    const QString sep = QRegularExpression::escape(QString(separator));
    const QRegularExpression time(QStringLiteral("^-?\\d+%1\\d{3}$").arg(sep));
    const QRegularExpression value(QStringLiteral("^-?\\d+%1\\d{2}$").arg(sep));
    EXPECT_TRUE(time.match(fields[0]).hasMatch()) << fields[0].toStdString();
    EXPECT_NEAR(FieldNumber(fields[0]), sample.time - t0, 0.0005 + 1e-9);
    for (int k = 0; k < kChannelCount; ++k) {
        EXPECT_TRUE(value.match(fields[k + 1]).hasMatch()) << fields[k + 1].toStdString();
        EXPECT_NEAR(FieldNumber(fields[k + 1]), sample.value[k], 0.005 + 1e-9) << k;
    }
}
}  // namespace

TEST(ExportSession, WritesTheSamplesTheBallSentFromTheOriginToTheCursorAndThenTheMarkedOnes) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"),
                         QStringLiteral("--stream-lines"), QStringLiteral("400")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    auto trace = std::make_unique<MeasureTrace>(f.Folder().Path(QStringLiteral("trace.log")));
    TfmMain& w = f.Window();
    RecordFromBall(f, 400);
    trace.reset();
    const std::vector<SentSample> sent = SentSamples(f.Folder().Read(QStringLiteral("trace.log")));
    ASSERT_EQ(sent.size(), 400u);

    // The origin near 1.5 s into the record, then the cursor near 3 s. The ball's clock runs
    // from the moment ballsim starts, so the record begins wherever Start found it.
    const double start = sent.front().time;
    TChart* chart = w.chAccGyro;
    chart->BottomAxis()->setRange(start, start + 5);
    chart->replot();
    Choose(w, w.acFileSetZeroMarker);
    ClickAtTime(chart, start + 1.5);
    Choose(w, w.acFileSetZeroMarker);
    ClickAtTime(chart, start + 3.0);
    const int zero = w.ZeroMarkerIndex, cursor = w.CursorIndex;
    ASSERT_GT(zero, 0);
    ASSERT_GT(cursor, zero);
    EXPECT_NEAR(sent[static_cast<size_t>(cursor)].time, start + 3.0, 0.05);

    const QChar separator = FormatSettings().DecimalSeparator;
    QStringList lines = ExportThroughWindow(f, QStringLiteral("range.csv"));
    ASSERT_EQ(lines.size(), cursor - zero + 2);
    EXPECT_EQ(lines[0], QString::fromUtf8("t\tax\tay\taz\twx\twy\twz\tфx\tфy\tфz"));
    const double t0 = sent[static_cast<size_t>(zero)].time;
    for (int i = zero; i <= cursor; ++i)
        ExpectRow(lines[i - zero + 1], sent[static_cast<size_t>(i)], t0, separator);

    // Two samples marked with the mark action: only they are written, against the origin.
    Choose(w, w.acFileMarkPoint);
    ClickAtTime(chart, start + 2.0);
    const int second = w.CursorIndex;
    Choose(w, w.acFileMarkPoint);
    lines = ExportThroughWindow(f, QStringLiteral("marked.csv"));
    ASSERT_EQ(lines.size(), 3);
    ExpectRow(lines[1], sent[static_cast<size_t>(second)], t0, separator);
    ExpectRow(lines[2], sent[static_cast<size_t>(cursor)], t0, separator);

    // The first sample cannot be marked: the action needs a cursor above 0.
    ClickAtTime(chart, start);
    ASSERT_EQ(w.CursorIndex, 0);
    w.UpdateActions();
    EXPECT_FALSE(w.acFileMarkPoint->isEnabled());
}

// Regional settings come from the environment at start, so this runs the test program again
// with LANG=ru_RU.UTF-8 and checks the file that the run exports there.
TEST(ExportUnderRussianLocale, WritesDecimalCommas) {
    const bool child = qEnvironmentVariableIsSet("MIRELVANE_RUSSIAN_RUN");
    if (!child) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LC_ALL", "LC_NUMERIC", "LANGUAGE"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
        env.insert(QStringLiteral("MIRELVANE_RUSSIAN_RUN"), QStringLiteral("1"));
        QProcess run;
        run.setProcessEnvironment(env);
        run.setProcessChannelMode(QProcess::MergedChannels);
        run.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=ExportUnderRussianLocale.*")});
        ASSERT_TRUE(run.waitForFinished(240000));
        const QByteArray output = run.readAll();
        EXPECT_EQ(run.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
        return;
    }

    ASSERT_EQ(QLocale::system().decimalPoint(), QStringLiteral(","));
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"),
                         QStringLiteral("--stream-lines"), QStringLiteral("200")});
    ASSERT_TRUE(ball.IsRunning());
    WindowFixture f(WindowFixture::PortSettings(ball.Path()));
    auto trace = std::make_unique<MeasureTrace>(f.Folder().Path(QStringLiteral("trace.log")));
    RecordFromBall(f, 200);
    trace.reset();
    const std::vector<SentSample> sent = SentSamples(f.Folder().Read(QStringLiteral("trace.log")));
    ASSERT_EQ(sent.size(), 200u);

    const QStringList lines = ExportThroughWindow(f, QStringLiteral("ru.csv"));
    ASSERT_EQ(lines.size(), 201);
    EXPECT_FALSE(lines.mid(1).join(u'\t').contains(u'.'));
    for (size_t i = 0; i < sent.size(); ++i) ExpectRow(lines[int(i) + 1], sent[i], 0, u',');
}
