// Decoding of the measurement stream: our reader plus the append into a record, against the C
// library's scanner alone on the same lines. Figures are samples (lines) per second.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "model/csv_export.h"
#include "model/sample_decoder.h"
#include "model/sample_line.h"
#include "model/vector_record.h"

namespace {

constexpr int kLines = 20000;
constexpr int kChunkSize = 2419;  // the stream thread's read size

// Lines as the ball writes them: integer raw readings, millidegree angles with decimals, a time
// stamp counting up by 10 ms.
const std::vector<std::string>& Lines() {
    static const std::vector<std::string> lines = [] {
        std::mt19937 rng(1);
        std::uniform_int_distribution<int> raw(-32768, 32767);
        std::uniform_real_distribution<double> angle(-180000, 180000);
        std::vector<std::string> out;
        char text[256];
        for (int i = 0; i < kLines; ++i) {
            std::snprintf(
                text, sizeof text,
                "ax:%d\tay:%d\taz:%d\tgx:%d\tgy:%d\tgz:%d\tr:%.3f\tp:%.3f\ty:%.3f\ttt:%d\tb:%d",
                raw(rng), raw(rng), raw(rng), raw(rng), raw(rng), raw(rng), angle(rng), angle(rng),
                angle(rng), i * 10, 87);
            out.emplace_back(text);
        }
        return out;
    }();
    return lines;
}

// The same lines cut into chunks the way the stream thread cuts them: after the last line end
// that fits.
const std::vector<std::string>& Chunks() {
    static const std::vector<std::string> chunks = [] {
        std::vector<std::string> out(1);
        for (const std::string& line : Lines()) {
            if (out.back().size() + line.size() + 2 > kChunkSize) out.emplace_back();
            out.back() += line + "\r\n";
        }
        return out;
    }();
    return chunks;
}

void DecodeAndAppend(benchmark::State& state) {
    tSampleDecoder decoder;
    decoder.SetRelative(2, true);
    tVectorRecord record;
    record.Reserve(kLines);
    for (auto _ : state) {
        record.Clear();
        decoder.ResetZeroRef();
        for (const std::string& chunk : Chunks()) {
            const tChunkResult result =
                decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), record.Count());
            for (const tSample& sample : result.samples) record.Append(sample);
        }
        benchmark::DoNotOptimize(record.Count());
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(DecodeAndAppend)->Unit(benchmark::kMillisecond);

void ParseOnly(benchmark::State& state) {
    tSampleFields fields;
    for (auto _ : state) {
        for (const std::string& line : Lines()) {
            benchmark::DoNotOptimize(
                ParseSampleLine(line.data(), static_cast<int>(line.size()), fields));
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(ParseOnly)->Unit(benchmark::kMillisecond);

void LibraryScanOnly(benchmark::State& state) {
    tSampleFields f;
    float* r = f.raw;
    for (auto _ : state) {
        for (const std::string& line : Lines()) {
            benchmark::DoNotOptimize(std::sscanf(
                line.c_str(),
                "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d", &r[0],
                &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &f.tt, &f.b));
        }
    }
    state.SetItemsProcessed(state.iterations() * kLines);
}
BENCHMARK(LibraryScanOnly)->Unit(benchmark::kMillisecond);

// The export of the whole decoded record, for scale: rows per second.
void BuildExport(benchmark::State& state) {
    tSampleDecoder decoder;
    tVectorRecord record;
    for (const std::string& chunk : Chunks()) {
        for (const tSample& s :
             decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), 0).samples)
            record.Append(s);
    }
    tExportSource source;
    source.record = &record;
    source.separator = u',';
    for (auto _ : state) benchmark::DoNotOptimize(BuildExportFile(source)->size());
    state.SetItemsProcessed(state.iterations() * record.Count());
}
BENCHMARK(BuildExport)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
