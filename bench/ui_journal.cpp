// The recording journal: what writing it costs while a measurement streams at the line's full
// rate (77 lines a second, appended at each 100 ms drain tick), as a share of one core of the
// whole process over the same wall time; and opening a journal of 10 hours at 100 samples a
// second in the window: its time and the heap the record then holds per sample.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "app/log_file.h"
#include "model/record_journal.h"
#include "ui/chart.h"
#include "bench_window.h"
#include "ui/mainfm.h"
#include "ui/ui_resources.h"

namespace {
QByteArray SampleLine(int i) {
    char text[200];
    const int n = std::snprintf(
        text, sizeof text,
        "ax:%d\tay:%d\taz:%d\tgx:%d\tgy:%d\tgz:%d\tr:%.3f\tp:%.3f\ty:%.3f\ttt:%d\tb:%d\r\n",
        (i * 37) % 32768 - 16384, (i * 11) % 4096, 16384 - i % 97, (i * 5) % 65536 - 32768, i % 13,
        -(i % 29), (i % 3600) * 100.125, -(i % 1800) * 50.5, (i % 7200) * 25.25, i * 10, 87);
    return QByteArray(text, n);
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

size_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Ten seconds of streaming in real time: every tick hands over the lines of 100 ms.
void BM_JournalWritingCpuShare(benchmark::State& state) {
    constexpr int kTicks = 100;
    std::vector<QByteArray> chunks;
    for (int t = 0, line = 0; t < kTicks; ++t) {
        QByteArray chunk;
        for (const int end = (t + 1) * 77 / 10; line < end; ++line) chunk += SampleLine(line);
        chunks.push_back(chunk);
    }
    double share = 0;
    for (auto _ : state) {
        QTemporaryDir folder;
        QString error;
        auto journal = tRecordJournal::Create(folder.path(), QDateTime::currentDateTime(),
                                              "#mvrec 1\r\n", error);
        if (!journal) {
            state.SkipWithError(error.toStdString().c_str());
            return;
        }
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        for (int t = 0; t < kTicks; ++t) {
            std::this_thread::sleep_until(start + std::chrono::milliseconds(100 * (t + 1)));
            journal->AppendLines(chunks[size_t(t)].constData(), chunks[size_t(t)].size());
        }
        journal->Close();
        const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
        share = (CpuSeconds() - cpu) / wall.count();
    }
    state.counters["cpu_percent_of_one_core"] = share * 100;
}
BENCHMARK(BM_JournalWritingCpuShare)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// 3.6 million lines (10 hours at 100 Hz) written once, then opened through File > Open's path.
void BM_OpenTenHourJournal(benchmark::State& state) {
    constexpr int kSamples = 3600000;
    QTemporaryDir folder;
    const QString journal = folder.filePath(QStringLiteral("ten-hours.mvrec"));
    {
        QFile file(journal);
        file.open(QIODevice::WriteOnly);
        tJournalHeader header;
        header.start = QDateTime::currentDateTime();
        QByteArray block = JournalHeaderText(header);
        for (int i = 0; i < kSamples; ++i) {
            block += SampleLine(i);
            if (block.size() > (1 << 20)) {
                file.write(block);
                block.clear();
            }
        }
        file.write(block);
        state.counters["file_bytes_per_sample"] = double(file.size()) / kSamples;
    }
    auto window = MakeBenchWindow(folder);
    double bytesPerSample = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        if (!window->OpenRecordFile(journal) || window->MasterSeries(0)->Count() != kSamples) {
            state.SkipWithError("the journal did not open whole");
            return;
        }
        bytesPerSample = double(HeapInUse() - before) / kSamples;
    }
    state.counters["bytes_per_sample"] = bytesPerSample;
}
BENCHMARK(BM_OpenTenHourJournal)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
    return RunWindowBenchmarks(argc, argv);
}
