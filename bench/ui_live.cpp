// The live display's figures: decoding chunks into the charts (against the C library's scanner
// alone on the same lines), the redraw of a page with a 30-second window and with the time
// axis over an hour of record, and the memory that each recorded sample costs on all charts.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/log_file.h"
#include "ui/chart.h"
#include "bench_window.h"
#include "ui/mainfm.h"
#include "ui/ui_resources.h"

namespace {
constexpr int kChunkSize = 2419;  // the stream thread's read size
constexpr double kRate = 100.0;   // samples per second of the ball

std::string SampleLine(std::mt19937& rng, int index) {
    std::uniform_int_distribution<int> raw(-32768, 32767);
    std::uniform_real_distribution<double> angle(-180000, 180000);
    char text[256];
    std::snprintf(text, sizeof text,
                  "ax:%d\tay:%d\taz:%d\tgx:%d\tgy:%d\tgz:%d\tr:%.3f\tp:%.3f\ty:%.3f\ttt:%d\tb:%d\r\n",
                  raw(rng), raw(rng), raw(rng), raw(rng), raw(rng), raw(rng), angle(rng),
                  angle(rng), angle(rng), int(index * 1000 / kRate), 87);
    return text;
}

// 100 ms of stream per chunk at most, cut at line ends like the stream thread cuts them.
struct tStream {
    std::vector<std::string> lines;
    std::vector<std::string> chunks;
};

const tStream& Stream() {
    static const tStream stream = [] {
        tStream s;
        std::mt19937 rng(7);
        std::string chunk;
        for (int i = 0; i < 20000; ++i) {
            s.lines.push_back(SampleLine(rng, i));
            if (chunk.size() + s.lines.back().size() > kChunkSize) s.chunks.push_back(std::move(chunk)), chunk.clear();
            chunk += s.lines.back();
        }
        if (!chunk.empty()) s.chunks.push_back(chunk);
        return s;
    }();
    return stream;
}

// One window for all figures, on a settings file of its own; it goes before the application.
std::unique_ptr<TfmMain> window;

TfmMain& Window() {
    static QTemporaryDir folder;
    if (!window) {
        window = MakeBenchWindow(folder);
        window->show();
        QApplication::processEvents();
    }
    return *window;
}

// As Start begins a record: empty charts and a fresh time base, so that no figure inherits the
// ball's clock of the one before.
void StartLive(TfmMain& w) {
    for (TChart* chart : w.Charts()) w.PrepareLiveChart(chart);
    w.ResetLinkHealth();
}

// Sample line `i` of the stream; lines repeat, so the time stamps are rewritten to keep counting.
std::string StampedLine(int i) {
    const std::string& line = Stream().lines[size_t(i) % Stream().lines.size()];
    return line.substr(0, line.find("tt:")) + "tt:" + std::to_string(int(i * 1000 / kRate)) +
           "\tb:87\r\n";
}

// Fills the record with `samples` samples at the ball's rate, through the live path.
void Record(TfmMain& w, int samples) {
    StartLive(w);
    std::string chunk;
    for (int i = 0; i < samples; ++i) {
        const std::string stamped = StampedLine(i);
        if (chunk.size() + stamped.size() > kChunkSize) {
            w.DecodeChunk(chunk.data(), int(chunk.size()));
            chunk.clear();
        }
        chunk += stamped;
    }
    if (!chunk.empty()) w.DecodeChunk(chunk.data(), int(chunk.size()));
}

void BM_DecodeAndAppend(benchmark::State& state) {
    TfmMain& w = Window();
    const tStream& s = Stream();
    int64_t samples = 0;
    for (auto _ : state) {
        // A fresh record each pass, so the time stamps ascend as the ball's do.
        state.PauseTiming();
        StartLive(w);
        state.ResumeTiming();
        for (const std::string& chunk : s.chunks) w.DecodeChunk(chunk.data(), int(chunk.size()));
        samples += int64_t(s.lines.size());
    }
    state.SetItemsProcessed(samples);
    StartLive(w);
}
BENCHMARK(BM_DecodeAndAppend)->Unit(benchmark::kMillisecond);

void BM_SscanfOnly(benchmark::State& state) {
    const tStream& s = Stream();
    float v[10];
    int b = 0;
    int64_t samples = 0;
    for (auto _ : state) {
        for (const std::string& line : s.lines) {
            const int n = std::sscanf(line.c_str(),
                                      "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d",
                                      &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8],
                                      &v[9], &b);
            benchmark::DoNotOptimize(n);
        }
        samples += int64_t(s.lines.size());
    }
    state.SetItemsProcessed(samples);
}
BENCHMARK(BM_SscanfOnly)->Unit(benchmark::kMillisecond);

// The page the user sees, redrawn as the drain tick asks for it: a full 30-second window.
void BM_RedrawPage30s(benchmark::State& state) {
    TfmMain& w = Window();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    Record(w, int(30 * kRate));
    for (auto _ : state) w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    StartLive(w);
}
BENCHMARK(BM_RedrawPage30s)->Unit(benchmark::kMillisecond);

// A live tick on that page as the drain timer runs it: a chunk of 8 samples (the line rate's
// share of 100 ms) decoded, the series redrawn where they changed and the widget painted. The
// ticks fill the window from 5 s to 29 s, so the axes do not move.
void BM_LiveTick(benchmark::State& state) {
    TfmMain& w = Window();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    constexpr int kTickSamples = 8;
    int next = int(5 * kRate);
    Record(w, next);
    w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    for (auto _ : state) {
        std::string chunk;
        for (int i = next; i < next + kTickSamples; ++i) chunk += StampedLine(i);
        next += kTickSamples;
        w.DecodeChunk(chunk.data(), int(chunk.size()));
        w.RepaintLiveChart();
        QApplication::processEvents();
    }
    StartLive(w);
}
BENCHMARK(BM_LiveTick)->Unit(benchmark::kMillisecond)->Iterations(300)->Repetitions(1);

// An hour of record with the time axis over all of it, as show-all draws it.
void BM_RedrawShowAllOneHour(benchmark::State& state) {
    TfmMain& w = Window();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    Record(w, int(3600 * kRate));
    w.chAccGyro->SetTimeAxisAutomatic(true);
    for (auto _ : state) w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    w.chAccGyro->SetTimeAxisAutomatic(false);
    StartLive(w);
}
BENCHMARK(BM_RedrawShowAllOneHour)->Unit(benchmark::kMillisecond);

// The same with 1,000 event marks over the hour, labelled as a protocol labels them.
void BM_RedrawShowAllOneHourWithMarks(benchmark::State& state) {
    TfmMain& w = Window();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    Record(w, int(3600 * kRate));
    tEventMarks marks;
    for (int i = 0; i < 1000; ++i) marks.Add(3.6 * i + 1.3, QStringLiteral("stimulus %1").arg(i));
    w.SetEventMarks(marks);
    w.chAccGyro->SetTimeAxisAutomatic(true);
    for (auto _ : state) w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    w.chAccGyro->SetTimeAxisAutomatic(false);
    w.SetEventMarks(tEventMarks());
    StartLive(w);
}
BENCHMARK(BM_RedrawShowAllOneHourWithMarks)->Unit(benchmark::kMillisecond);

// A mark made during a live tick, with 1,000 marks before it: the list takes one item and the
// page is drawn in full once, since its marks changed. Compare with BM_LiveTick.
void BM_LiveTickWithMark(benchmark::State& state) {
    TfmMain& w = Window();
    w.pcChart->setCurrentWidget(w.tsAccGyro);
    constexpr int kTickSamples = 8;
    int next = int(5 * kRate);
    Record(w, next);
    tEventMarks marks;
    for (int i = 0; i < 1000; ++i) marks.Add(-1.0 - i, QString());
    w.SetEventMarks(marks);
    w.chAccGyro->replot(QCustomPlot::rpImmediateRefresh);
    int number = 1001;
    for (auto _ : state) {
        std::string chunk;
        for (int i = next; i < next + kTickSamples; ++i) chunk += StampedLine(i);
        next += kTickSamples;
        w.DecodeChunk(chunk.data(), int(chunk.size()));
        w.ShowEventMark({number, next / kRate, QString::number(number)});
        ++number;
        w.RepaintLiveChart();
        QApplication::processEvents();
    }
    w.SetEventMarks(tEventMarks());
    StartLive(w);
}
BENCHMARK(BM_LiveTickWithMark)->Unit(benchmark::kMillisecond)->Iterations(300)->Repetitions(1);

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// What a recorded sample costs on the four charts together: the heap's growth while a million
// samples are appended through the live path.
void BM_BytesPerRecordedSample(benchmark::State& state) {
    TfmMain& w = Window();
    constexpr int kSamples = 1000000;
    double bytesPerSample = 0;
    for (auto _ : state) {
        StartLive(w);
        const size_t before = HeapInUse();
        Record(w, kSamples);
        bytesPerSample = double(HeapInUse() - before) / kSamples;
    }
    state.counters["bytes_per_sample"] = bytesPerSample;
    StartLive(w);
}
BENCHMARK(BM_BytesPerRecordedSample)->Unit(benchmark::kMillisecond)->Iterations(1);
}  // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv, [] { window.reset(); });
}
