// Figures of the MQTT publisher against a broker of its own and ballsim at the line's rate:
//   1. the CPU that publishing costs: the link's thread and the main thread's formatting, and
//      the whole process with and without the publisher over the same time;
//   2. the latency from a sample's arrival (the host time the session fitted to it) to a
//      subscriber in this process: median and 99th percentile;
//   3. 16 balls to one broker: every sample arrives.
// A plain program (not a Google Benchmark one): bench_mqtt [seconds per run, default 20].
#include <mosquitto.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <time.h>
#include <vector>

#include "app/log_file.h"
#include "app/settings.h"
#include "app/steady_clock.h"
#include "device/device_connector.h"
#include "net/mqtt_publisher.h"
#include "support/environment.h"

namespace {
void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QString Bin(const char* name) {
    return QFileInfo(QCoreApplication::applicationDirPath() + "/../bin/" + name).absoluteFilePath();
}

struct Ballsim {
    Ballsim() {
        process.start(Bin("ballsim"), {});
        QByteArray line;
        while (process.waitForReadyRead(10000) && !line.contains('\n')) line += process.readAllStandardOutput();
        path = QString::fromLocal8Bit(line.left(line.indexOf('\n')));
    }
    ~Ballsim() {
        process.terminate();
        process.waitForFinished(5000);
    }
    QProcess process;
    QString path;
};

double ProcessCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// The CPU seconds of this process's threads named "mqtt-link".
double LinkThreadsCpu() {
    double total = 0;
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm("/proc/self/task/" + task + "/comm");
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "mqtt-link") continue;
        // The thread's time on a CPU in ns, finer than the ticks of its stat.
        QFile stat("/proc/self/task/" + task + "/schedstat");
        if (!stat.open(QIODevice::ReadOnly)) continue;
        total += stat.readAll().split(' ').first().toDouble() / 1e9;
    }
    return total;
}

// A subscriber in this process, on libmosquitto's own thread: per topic base, the samples'
// running numbers and, for the first ball, the latency of each sample.
struct Subscriber {
    explicit Subscriber(int port) {
        mosquitto_lib_init();
        mosq = mosquitto_new(nullptr, true, this);
        mosquitto_message_callback_set(mosq, [](mosquitto*, void* self, const mosquitto_message* m) {
            static_cast<Subscriber*>(self)->Take(m);
        });
        mosquitto_connect(mosq, "127.0.0.1", port, 10);
        mosquitto_subscribe(mosq, nullptr, "bench/+/samples", 1);
        mosquitto_loop_start(mosq);
    }
    ~Subscriber() {
        mosquitto_disconnect(mosq);
        mosquitto_loop_stop(mosq, false);
        mosquitto_destroy(mosq);
    }
    void Take(const mosquitto_message* m) {
        const double now = SteadySeconds();
        const QJsonObject o = QJsonDocument::fromJson(QByteArray(static_cast<const char*>(m->payload), m->payloadlen)).object();
        const QJsonArray seq = o["seq"].toArray(), t = o["t"].toArray();
        std::lock_guard lock(mutex);
        auto& seen = balls[QByteArray(m->topic)];
        for (int i = 0; i < seq.size(); ++i) {
            seen.push_back(seq[i].toInteger());
            if (latencyOf && QByteArray(m->topic) == latencyTopic) {
                latencies.push_back(now - latencyOf(t[i].toDouble()));
                const auto at = decodedAt.find(seq[i].toInteger());
                if (at != decodedAt.end()) fromDecode.push_back(now - at->second);
            }
        }
    }
    mosquitto* mosq = nullptr;
    std::mutex mutex;
    std::map<QByteArray, std::vector<long long>> balls;
    QByteArray latencyTopic;
    std::function<double(double)> latencyOf;
    std::vector<double> latencies;
    std::map<long long, double> decodedAt;  // of the first ball, by running number
    std::vector<double> fromDecode;
};

struct Session {
    Session(const QString& port, int brokerPort, const QString& records, bool publish) {
        QList<QPair<QString, QString>> values{{"Ports", port}, {"CheckCount", "2"}, {"RecordFolder", records}};
        settings = std::make_unique<tSettings>(false);
        for (const auto& [k, v] : values) settings->SetSettingByName(k, v);
        if (publish) {
            settings->SetSettingByName("MqttBroker", QStringLiteral("mqtt://127.0.0.1:%1").arg(brokerPort));
            settings->SetSettingByName("MqttTopic", "bench/{ball}");
        }
        measurement = std::make_unique<tMeasurement>(settings.get(), records + "/mirelvane");
        tDeviceConnector connector(settings.get());
        ok = measurement->Connect(connector).isEmpty();
        publisher = std::make_unique<tMqttPublisher>(*measurement, settings.get());
        measurement->ReadBattery();
    }
    std::unique_ptr<tSettings> settings;
    std::unique_ptr<tMeasurement> measurement;
    std::unique_ptr<tMqttPublisher> publisher;
    bool ok = false;
};

// Notes when the session decoded each sample of the first ball.
struct DecodeTimes : tMeasurementListener {
    Subscriber* sub = nullptr;
    long long next = 0;
    void ChunkDecoded(const tChunkResult& chunk) override {
        const double now = SteadySeconds();
        std::lock_guard lock(sub->mutex);
        for (size_t i = 0; i < chunk.samples.size(); ++i) sub->decodedAt[next++] = now;
    }
};

double Median(std::vector<double> v, double q = 0.5) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    PrivateUserFolders folders;
    tLogFile log(QStringLiteral("/nonexistent/bench.log"), QStringList{QStringLiteral("bench")});
    LogFile = &log;
    const double seconds = argc > 1 ? atof(argv[1]) : 20;
    QTemporaryDir dir;
    const int port = 20000 + static_cast<int>(QCoreApplication::applicationPid() % 20000);
    QFile conf(dir.filePath("mosquitto.conf"));
    conf.open(QIODevice::WriteOnly);
    conf.write("listener " + QByteArray::number(port) + " 127.0.0.1\nallow_anonymous true\n");
    conf.close();
    QProcess broker;
    broker.start("mosquitto", {"-c", conf.fileName()});
    Wait(500);
    Subscriber sub(port);

    // 1 and 2: one ball, without and with the publisher.
    double cpu[2] = {};
    double linkCpu = 0;
    for (int publish = 0; publish < 2; ++publish) {
        Ballsim sim;
        Session s(sim.path, port, dir.filePath(QStringLiteral("one%1").arg(publish)), publish == 1);
        if (!s.ok) {
            fprintf(stderr, "no ball on %s\n", qPrintable(sim.path));
            return 1;
        }
        DecodeTimes decodeTimes;
        decodeTimes.sub = &sub;
        s.measurement->AddListener(&decodeTimes);
        if (publish) {
            sub.latencyTopic = "bench/" + QFileInfo(sim.path).fileName().toUtf8() + "/samples";
            sub.latencyOf = [&s](double t) { return s.measurement->HostClock().HostAt(t); };
        }
        s.measurement->Start();
        Wait(2000);  // the host clock's fit settles
        {
            std::lock_guard lock(sub.mutex);
            sub.latencies.clear();
            sub.fromDecode.clear();
        }
        const double cpu0 = ProcessCpu(), link0 = LinkThreadsCpu(), wall0 = SteadySeconds();
        Wait(static_cast<int>(seconds * 1000));
        const double wall = SteadySeconds() - wall0;
        cpu[publish] = (ProcessCpu() - cpu0) / wall * 100;
        if (publish) linkCpu = (LinkThreadsCpu() - link0) / wall * 100;
        s.measurement->Stop();
        Wait(500);
        s.measurement->RemoveListener(&decodeTimes);
        std::lock_guard lock(sub.mutex);
        sub.latencyOf = nullptr;
    }
    // The main thread's share: formatting one drain's message (8 samples) ten times a second.
    std::vector<tSample> eight(8);
    for (tSample& s : eight) s.value[0] = 9.81;
    timespec a{}, b{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &a);
    const int rounds = 20000;
    size_t bytes = 0;
    for (int i = 0; i < rounds; ++i) bytes += SamplesMessage(1, i * 8, eight).size();
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &b);
    const double formatUs = ((b.tv_sec - a.tv_sec) * 1e9 + (b.tv_nsec - a.tv_nsec)) / 1e3 / rounds;
    std::lock_guard lock(sub.mutex);
    printf("cpu_process_without_publisher_percent %.3f\n", cpu[0]);
    printf("cpu_process_with_publisher_percent %.3f\n", cpu[1]);
    printf("cpu_link_thread_percent %.4f\n", linkCpu);
    printf("format_one_message_us %.2f (%zu bytes) -> %.4f %% at 10 messages/s\n", formatUs, bytes / rounds,
           formatUs * 10 / 1e4);
    printf("latency_median_ms %.1f\nlatency_p99_ms %.1f\nlatency_samples %zu\n", Median(sub.latencies) * 1000,
           Median(sub.latencies, 0.99) * 1000, sub.latencies.size());
    printf("decode_to_subscriber_median_ms %.2f\ndecode_to_subscriber_p99_ms %.2f\n", Median(sub.fromDecode) * 1000,
           Median(sub.fromDecode, 0.99) * 1000);
    sub.mutex.unlock();

    // 3: 16 balls at once.
    {
        std::vector<std::unique_ptr<Ballsim>> sims;
        std::vector<std::unique_ptr<Session>> sessions;
        for (int i = 0; i < 16; ++i) sims.push_back(std::make_unique<Ballsim>());
        for (int i = 0; i < 16; ++i) {
            sessions.push_back(std::make_unique<Session>(sims[i]->path, port, dir.filePath(QStringLiteral("ball%1").arg(i)), true));
            if (!sessions.back()->ok) return 1;
        }
        {
            std::lock_guard l(sub.mutex);
            sub.balls.clear();
        }
        for (auto& s : sessions) s->measurement->Start();
        Wait(static_cast<int>(seconds * 1000));
        long long sent = 0, undelivered = 0;
        for (auto& s : sessions) {
            s->measurement->Stop();
            sent += s->measurement->Samples();
        }
        Wait(2000);
        for (auto& s : sessions) undelivered += s->publisher->View().undelivered;
        std::lock_guard l(sub.mutex);
        long long received = 0, inOrder = 0;
        for (const auto& [topic, seqs] : sub.balls) {
            std::vector<long long> unique = seqs;
            inOrder += std::is_sorted(seqs.begin(), seqs.end());
            unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
            received += static_cast<long long>(unique.size());
        }
        printf("balls_16_samples_sent %lld\nballs_16_samples_received %lld\nballs_16_in_order %lld of %zu\n"
               "balls_16_undelivered %lld\n",
               sent, received, inOrder, sub.balls.size(), undelivered);
        sessions.clear();
    }
    broker.kill();
    broker.waitForFinished();
    LogFile = nullptr;
    return 0;
}
