// Appending samples to a long record through the record's time base, as the stream path does:
// 3.6 M samples (10 hours at 100 per second), once with the ball's clock running straight and
// once with a reset of the ball at 1 M samples. Each sample must cost the same either way.
#include <benchmark/benchmark.h>

#include <vector>

#include "model/sample_clock.h"
#include "model/sample_decoder.h"
#include "ui/series_data.h"

namespace {
constexpr int kSamples = 3600000;
constexpr int kChunkLines = 24;  // about one read of the stream thread

void AppendRecord(benchmark::State& state) {
    const int restartAt = static_cast<int>(state.range(0));
    tChunkResult chunk;
    chunk.samples.resize(kChunkLines);
    for (auto _ : state) {
        tSampleClock clock;
        tSeriesData points;
        for (int first = 0; first < kSamples; first += kChunkLines) {
            for (int i = 0; i < kChunkLines; ++i) {
                const int n = first + i;
                // After the reset the ball's clock starts again from 1 s.
                const int tick = restartAt > 0 && n >= restartAt ? n - restartAt + 100 : n;
                chunk.samples[static_cast<size_t>(i)].time = static_cast<float>(tick * 0.01);
            }
            clock.PlaceChunk(chunk);
            for (const tSample& sample : chunk.samples) points.Insert(sample.time, sample.value[0]);
        }
        benchmark::DoNotOptimize(points.size());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
}  // namespace

BENCHMARK(AppendRecord)->Arg(0)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
