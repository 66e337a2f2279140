// Figures of the device link against ballsim on a pseudo-terminal: the time of one connect
// with the default settings, and the CPU that the stream thread uses at the real line rate.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <chrono>
#include <memory>
#include <thread>

#include "app/log_file.h"
#include "app/settings.h"
#include "device/device.h"
#include "device/device_connector.h"
#include "device/measure_thread.h"

namespace {
// ballsim lies in bin/ beside this program's bench/ folder, unless BALLSIM names it.
QString BallsimProgram() {
    const QString given = qEnvironmentVariable("BALLSIM");
    if (!given.isEmpty()) return given;
    return QFileInfo(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/ballsim"))
        .absoluteFilePath();
}

struct Ballsim {
    explicit Ballsim(const QStringList& arguments) {
        process.start(BallsimProgram(), arguments);
        QByteArray line;
        while (process.waitForReadyRead(10000) && !line.contains('\n'))
            line += process.readAllStandardOutput();
        path = QString::fromLocal8Bit(line.left(line.indexOf('\n')));
    }
    ~Ballsim() {
        process.terminate();
        process.waitForFinished(5000);
    }
    QProcess process;
    QString path;
};


void BM_ConnectOneBallsimPort(benchmark::State& state) {
    Ballsim ball({});
    tSettings settings;  // default "Timeout", "CheckCount" and "CheckTimeout"
    settings.SetSettingByName(QStringLiteral("Ports"), ball.path);
    tDeviceConnector connector(&settings);
    connector.SetBatteryStep([](tDevice& device) { device.ReadBattery(); });
    for (auto _ : state) {
        tConnection connection;
        const QString failure = connector.ConnectDevice(connection);
        if (!failure.isEmpty()) state.SkipWithError("no device found");
    }
}
BENCHMARK(BM_ConnectOneBallsimPort)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_StreamThreadAtTheLineRate(benchmark::State& state) {
    Ballsim ball({});
    tSettings settings;
    settings.SetSettingByName(QStringLiteral("Timeout"), QStringLiteral("0"));
    tDevice device(ball.path, &settings);
    QString error;
    if (!device.Open(error)) {
        state.SkipWithError("cannot open ballsim's terminal");
        return;
    }
    long long bytes = 0;
    long long cpuUs = 0;
    double seconds = 0;
    for (auto _ : state) {
        device.StartMeasure();
        const tMeasureThread& thread = *device.MeasureThread();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const long long cpu0 = thread.CpuMicroseconds();
        const auto start = std::chrono::steady_clock::now();
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            tPacketQueue queue;
            device.TakePackets(queue);
            for (const tPacket& p : queue) bytes += p.Length();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        cpuUs += thread.CpuMicroseconds() - cpu0;
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        device.StopMeasure();
    }
    state.counters["thread_cpu_percent"] = 100.0 * cpuUs / 1e6 / seconds;
    state.counters["bytes_per_second"] = bytes / seconds;
}
BENCHMARK(BM_StreamThreadAtTheLineRate)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    tLogFile log(QStringLiteral("/nonexistent/bench.log"), QStringList{QStringLiteral("bench")});
    LogFile = &log;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    LogFile = nullptr;
    return 0;
}
