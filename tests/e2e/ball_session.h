#pragma once

// A session with ballsim through the window: what the ball sent, as the window's trace of every
// received line shows it, and the record made and exported on the way.
#include <gtest/gtest.h>

#include <QAction>
#include <cstdio>
#include <vector>

#include "app/command_line.h"
#include "app/log_file.h"
#include "support/c_locale.h"
#include "ui/chart.h"
#include "ui/export_support.h"
#include "ui/window_fixture.h"

// One received sample line, read with the C library and scaled as the ball's units say.
struct SentSample {
    double time;
    double value[kChannelCount];
};

inline bool ReadSampleLine(const QByteArray& line, SentSample& sample) {
    float f[10];
    int b = 0;
    const CLocaleScope c;
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

inline std::vector<SentSample> SentSamples(const QByteArray& log) {
    std::vector<SentSample> samples;
    for (const QByteArray& line : log.split('\n')) {
        const int at = static_cast<int>(line.indexOf("ax:"));
        SentSample sample{};
        if (at >= 0 && ReadSampleLine(line.mid(at), sample)) samples.push_back(sample);
    }
    return samples;
}

inline void Choose(TfmMain& w, QAction* action) {
    w.UpdateActions();
    action->trigger();
}

// Connects to the ball, records until it has sent all its lines, and stops.
inline void RecordFromBall(WindowFixture& f, int lines) {
    TfmMain& w = f.Window();
    f.ConnectAndStart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.MasterSeries(0)->Count() >= lines; }, 60000));
    Choose(w, w.acDeviceStop);
    ASSERT_FALSE(w.IsMeasuring());
}

inline QStringList ExportThroughWindow(WindowFixture& f, const QString& name) {
    SaveDialogAnswerer answer({f.Folder().Path(name)});
    Choose(f.Window(), f.Window().acFileExport);
    return ExportLines(f.Folder().Read(name));
}
