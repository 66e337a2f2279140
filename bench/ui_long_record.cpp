// A record of 10 hours at 100 samples a second (3.6 M samples, all nine channels) in the
// window: what it costs in memory, the show-all redraw, a cursor click and the export of every
// sample.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_window.h"
#include "model/csv_export.h"
#include "ui/chart.h"
#include "ui/chart_record.h"

namespace {
constexpr int kSamples = 3600000;
constexpr int kChunkSize = 2419;

std::unique_ptr<TfmMain> window;
double bytesPerSample = 0;

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Line `i` of a ball that turns slowly and shakes now and then.
std::string Line(int i) {
    char text[200];
    const int wobble = (i * 37) % 2000 - 1000;
    const int spike = i % 50000 == 0 ? 30000 : 0;
    std::snprintf(text, sizeof text,
                  "ax:%d\tay:%d\taz:%d\tgx:%d\tgy:%d\tgz:%d\tr:%d\tp:%d\ty:%d\ttt:%d\tb:87\r\n",
                  wobble + spike, -wobble, 16384 + wobble / 4, wobble * 3, -wobble * 2, wobble,
                  (i / 10) % 360000 - 180000, (i / 7) % 180000 - 90000, (i / 3) % 360000 - 180000,
                  i * 10);
    return text;
}

// The window with the whole record, stopped and in review, as a user would have it.
TfmMain& Window() {
    static QTemporaryDir folder;
    if (window) return *window;
    window = MakeBenchWindow(folder);
    window->resize(1024, 700);
    window->show();
    QApplication::processEvents();
    for (TChart* chart : window->Charts()) window->PrepareLiveChart(chart);
    const size_t before = HeapInUse();
    std::string chunk;
    for (int i = 0; i < kSamples; ++i) {
        const std::string line = Line(i);
        if (chunk.size() + line.size() > kChunkSize) {
            window->DecodeChunk(chunk.data(), int(chunk.size()));
            chunk.clear();
        }
        chunk += line;
    }
    window->DecodeChunk(chunk.data(), int(chunk.size()));
    bytesPerSample = double(HeapInUse() - before) / kSamples;
    for (TChart* chart : window->Charts()) window->EnableChartReview(chart);
    window->pcChart->setCurrentWidget(window->tsAccGyro);
    QApplication::processEvents();
    return *window;
}

void BM_TenHourMemoryPerSample(benchmark::State& state) {
    Window();
    for (auto _ : state) benchmark::DoNotOptimize(bytesPerSample);
    state.counters["bytes_per_sample"] = bytesPerSample;
}
BENCHMARK(BM_TenHourMemoryPerSample)->Iterations(1);

void BM_TenHourShowAllRedraw(benchmark::State& state) {
    TfmMain& w = Window();
    w.acFileShowAll->setChecked(true);
    w.acFileShowAllExecute();
    for (auto _ : state) w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    w.acFileShowAll->setChecked(false);
    w.acFileShowAllExecute();
}
BENCHMARK(BM_TenHourShowAllRedraw)->Unit(benchmark::kMillisecond);

// A click in the middle of the page's plot: the cursor found, the readout and the statistics
// of the span brought up to date, and the page painted with its marker lines.
void BM_TenHourCursorClick(benchmark::State& state) {
    TfmMain& w = Window();
    w.acFileShowAll->setChecked(true);
    w.acFileShowAllExecute();
    w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    const QRect plot = w.chAccGyro->PlotRect();
    int step = 0;
    for (auto _ : state) {
        const QPoint at(plot.left() + 10 + (step++ * 7) % (plot.width() - 20), plot.center().y());
        QCursor::setPos(w.chAccGyro->mapToGlobal(at));
        w.chAccGyroClick(w.chAccGyro);
        w.chAccGyro->repaint();
    }
    w.acFileShowAll->setChecked(false);
    w.acFileShowAllExecute();
}
BENCHMARK(BM_TenHourCursorClick)->Unit(benchmark::kMillisecond);

void BM_TenHourExportAll(benchmark::State& state) {
    TfmMain& w = Window();
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("all.csv"));
    const tChartRecord record(w.chAll);
    tExportSource source;
    source.record = &record;
    for (int k = 0; k < kChannelCount; ++k) {
        source.marks[k] = &w.MasterSeries(k)->Marks();
        source.visible[k] = true;
    }
    for (auto _ : state) {
        const tExportResult result = ExportRecord(file, source);
        if (!result.ok()) state.SkipWithError("the export failed");
    }
    state.counters["file_megabytes"] = double(QFileInfo(file).size()) / 1e6;
}
BENCHMARK(BM_TenHourExportAll)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv, [] { window.reset(); });
}
