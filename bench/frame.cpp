// The frame's per-line costs: a log line (formatting plus one write) and a settings lookup.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"

static void LogWrite(benchmark::State& state) {
    QTemporaryDir dir;
    tLogFile log(dir.filePath("bench.log"), {"bench", "-LOG"});
    const QByteArray line = "RECV: 12345 -200 9800 11 -3 7 1800 -900 27000 123456 87";
    for (auto _ : state) log.Write(line);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(LogWrite);

static void SettingLookup(benchmark::State& state) {
    tSettings settings;
    for (const char* key : {"BatteryUpdate", "OneLanguage", "LanguageID", "CheckOffTimer",
                            "SwitchOffTime", "WarnTime", "Timeout", "CheckCount", "CheckTimeout"})
        settings.SetSettingByName(key, "5");
    for (auto _ : state)
        benchmark::DoNotOptimize(StrToIntDef(settings.GetSettingByName("CheckTimeout"), 500));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SettingLookup);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
