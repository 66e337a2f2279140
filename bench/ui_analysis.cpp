// The analysis in the window: the statistics of an hour-long span at 100 samples a second, read
// from the master record in place, and one frame of the orientation view at 200 × 200 pixels.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <memory>
#include <random>

#include "model/span_statistics.h"
#include "ui/chart.h"
#include "ui/chart_record.h"
#include "bench_window.h"
#include "ui/mainfm.h"
#include "ui/orientation_view.h"
#include "ui/series_data.h"
#include "ui/ui_resources.h"

namespace {
constexpr int kHourAt100Hz = 3600 * 100;

std::unique_ptr<TfmMain> window;

TfmMain& WindowWithHour() {
    static QTemporaryDir folder;
    if (!window) {
        window = MakeBenchWindow(folder);
        std::mt19937 rng(3);
        std::normal_distribution<double> noise(0, 1);
        for (int i = 0; i < kHourAt100Hz; ++i)
            for (int k = 0; k < kChannelCount; ++k)
                window->MasterSeries(k)->Points()->Insert(i / 100.0, 10 * k + noise(rng));
    }
    return *window;
}

// All nine channels over the whole hour, as the table would if every one were on its page.
void BM_StatisticsOfAnHour(benchmark::State& state) {
    const tChartRecord record(WindowWithHour().chAll);
    const tSpan span{0, kHourAt100Hz - 1};
    for (auto _ : state)
        for (int k = 0; k < kChannelCount; ++k)
            benchmark::DoNotOptimize(ChannelStatistics(record, k, span));
}
BENCHMARK(BM_StatisticsOfAnHour)->Unit(benchmark::kMillisecond);

// A marker moved over the hour: the summaries are kept, so only the span's two ends are read.
void BM_StatisticsOfAnHourKeptSummaries(benchmark::State& state) {
    const tChartRecord record(WindowWithHour().chAll);
    tSpanStatistics statistics;
    int first = 0;
    for (auto _ : state) {
        const tSpan span{first, kHourAt100Hz - 1 - first};
        for (int k = 0; k < kChannelCount; ++k)
            benchmark::DoNotOptimize(statistics.Compute(record, k, span));
        first = (first + 997) % 5000;
    }
}
BENCHMARK(BM_StatisticsOfAnHourKeptSummaries)->Unit(benchmark::kMicrosecond);

// The window's own refresh after a cursor click: the page's channels, formatted into the table.
void BM_RefreshAnalysisOverAnHour(benchmark::State& state) {
    TfmMain& w = WindowWithHour();
    w.ZeroMarkerIndex = 0;
    w.CursorIndex = kHourAt100Hz - 1;
    for (auto _ : state) w.RefreshAnalysis();
}
BENCHMARK(BM_RefreshAnalysisOverAnHour)->Unit(benchmark::kMillisecond);

void BM_OrientationFrame200(benchmark::State& state) {
    TOrientationView view;
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    double angle = 0;
    for (auto _ : state) {
        view.SetAngles(angle, angle / 2, angle / 3);
        angle += 7;
        QPainter painter(&image);
        view.Render(painter, image.size());
    }
}
BENCHMARK(BM_OrientationFrame200)->Unit(benchmark::kMicrosecond);
}  // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv, [] { window.reset(); });
}
