// The publisher against a real broker and ballsim: every sample in order and equal to the
// export, over a restart of the broker and beyond the queue's bound, the status and its last
// will, marks from the network, and what bad input does.
#include "net/mqtt_publisher.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>

#include "app/settings.h"
#include "device/ballsim_process.h"
#include "device/device_test_support.h"
#include "model/csv_export.h"
#include "model/vector_record.h"
#include "net/mqtt_link.h"
#include "net/mqtt_test_support.h"

namespace {
const QString kBase = QStringLiteral("lab/ball");

// Keeps what the window would draw, for the export to compare with.
struct Recorded : tMeasurementListener {
    tVectorRecord record;
    void MeasurementStarted() override { record.Clear(); }
    void ChunkDecoded(const tChunkResult& chunk) override {
        for (const tSample& s : chunk.samples) record.Append(s);
    }
};

struct Ball {
    Ball(const Broker& broker, int lines, const QList<QPair<QString, QString>>& extra = {})
        : sim({"--stream-lines", QString::number(lines)}) {
        QList<QPair<QString, QString>> values{{"Ports", sim.Path()},
                                              {"CheckCount", "2"},
                                              {"RecordFolder", records.Root()},
                                              {"MqttBroker", broker.Address()},
                                              {"MqttTopic", "lab/ball"},
                                              {"MqttUser", "ball"},
                                              {"MqttPasswordFile", broker.PasswordFile()}};
        if (broker.Address().startsWith("mqtts")) values << qMakePair(QStringLiteral("MqttCaFile"), broker.CaFile());
        settings = MakeSettings(values + extra);
        session = std::make_unique<tMeasurement>(settings.get(), records.Path("mirelvane"));
        session->AddListener(&recorded);
    }
    bool Connect() {
        tDeviceConnector connector(settings.get());
        connector.SetBatteryStep([this](tDevice&) { session->ReadBattery(); });
        if (!session->Connect(connector).isEmpty()) return false;
        publisher = std::make_unique<tMqttPublisher>(*session, settings.get());
        return QTest::qWaitFor([&] { return publisher->View().connected; }, 20000);
    }
    // Measures until the ball sent its lines, then stops.
    bool MeasureAll(int lines) {
        const bool all = QTest::qWaitFor([&] { return session->Samples() >= lines; }, 60000);
        session->Stop();
        return all;
    }
    // The export's rows of every sample, as a subscriber rebuilds them.
    QList<QByteArray> ExportRows() const {
        tExportSource source;
        source.record = &recorded.record;
        source.separator = u'.';
        QList<QByteArray> rows = BuildExportFile(source).value_or(QByteArray()).split('\n');
        rows.removeFirst();
        rows.removeLast();
        for (QByteArray& row : rows) row.chop(1);
        return rows;
    }
    int JournalSampleLines() const {
        const QStringList found = QDir(records.Root()).entryList({"*.mvrec"});
        if (found.size() != 1) return -1;
        return static_cast<int>(ReadWholeFile(records.Path(found.first())).count("\nax:"));
    }

    TempFolder records;
    BallsimProcess sim;
    std::unique_ptr<tSettings> settings;
    std::unique_ptr<tMeasurement> session;
    std::unique_ptr<tMqttPublisher> publisher;
    Recorded recorded;
};

QList<QByteArray> Values(const std::map<long long, QByteArray>& rows) {
    QList<QByteArray> values;
    for (const auto& [seq, row] : rows) values << row;
    return values;
}

// Waits until the subscriber has seen every sample up to `last`.
bool Received(Subscriber& sub, long long last) {
    return QTest::qWaitFor([&] {
        const auto rows = sub.Samples();
        return !rows.empty() && rows.rbegin()->first >= last;
    }, 30000);
}

void ExpectAllInOrder(Subscriber& sub, const Ball& ball) {
    int outOfOrder = 0, conflicts = 0;
    const auto rows = sub.Samples(&outOfOrder, &conflicts);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(conflicts, 0);
    EXPECT_EQ(rows.begin()->first, 0);
    EXPECT_EQ(rows.rbegin()->first, static_cast<long long>(rows.size()) - 1) << "a gap in the running numbers";
    EXPECT_EQ(Values(rows), ball.ExportRows());
}

void EveryAndMarks(bool tls) {
    Broker broker(tls);
    ASSERT_TRUE(broker.Start());
    Subscriber sub;
    ASSERT_TRUE(sub.Start(broker, kBase));
    const int lines = 300;
    Ball ball(broker, lines);
    ASSERT_TRUE(ball.Connect());
    // The subscriber saw the publisher's status: both subscriptions stand.
    ASSERT_TRUE(QTest::qWaitFor([&] { return sub.On("status").size() >= 1; }, 20000));
    ball.session->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.session->Samples() > 20; }, 20000));

    broker.Folder("bad.bin");
    QFile bad(broker.Folder("bad.bin"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xff\xfe mark");
    bad.close();
    ASSERT_TRUE(RunTool("mosquitto_pub", broker.ClientOptions() + QStringList{"-t", kBase + "/marks/set", "-q", "1", "-f", bad.fileName()}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.publisher->View().problem.contains("not UTF-8"); }, 20000));
    ASSERT_TRUE(RunTool("mosquitto_pub", broker.ClientOptions() + QStringList{"-t", kBase + "/marks/set", "-q", "1", "-m", "stimulus A"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.session->Marks().Count() == 1; }, 20000));
    EXPECT_EQ(ball.session->Marks().All().front().label, "stimulus A");
    // Start and stop from the network are off by default.
    ASSERT_TRUE(RunTool("mosquitto_pub", broker.ClientOptions() + QStringList{"-t", kBase + "/control/set", "-q", "1", "-m", "stop"}));
    ASSERT_TRUE(ball.MeasureAll(lines));
    ASSERT_TRUE(Received(sub, lines - 1));

    ExpectAllInOrder(sub, ball);
    EXPECT_EQ(ball.publisher->View().undelivered, 0);
    EXPECT_TRUE(sub.On("events").join('\n').contains("\"label\":\"stimulus A\""));
    EXPECT_TRUE(ReadWholeFile(QDir(ball.records.Root()).absoluteFilePath(QDir(ball.records.Root()).entryList({"*.mvrec"}).value(0)))
                    .contains(" mark 1 "));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sub.On("status").last().contains("\"state\":\"connected\""); }, 20000));
}
}  // namespace

TEST(MqttPublisher, EverySampleArrivesInOrderAsTheExportHasItAndAMarkComesInFromTheNetwork) { EveryAndMarks(false); }

TEST(MqttPublisher, OverTlsWithACertificateMadeForTheTestTheSameHolds) { EveryAndMarks(true); }

TEST(MqttPublisher, ABrokerKilledAndBackTenSecondsLaterMissesNoSample) {
    Broker broker;
    ASSERT_TRUE(broker.Start());
    Subscriber sub;
    ASSERT_TRUE(sub.Start(broker, kBase));
    const int lines = 1400;  // about 18 s at the line's rate
    Ball ball(broker, lines);
    ASSERT_TRUE(ball.Connect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sub.On("status").size() >= 1 && broker.Saved(); }, 20000));
    ball.session->Start();
    ASSERT_TRUE(Received(sub, 100));
    broker.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ball.publisher->View().connected; }, 20000));
    QTest::qWait(10000);  // the outage itself
    EXPECT_GT(ball.publisher->View().queued, 0);
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(ball.MeasureAll(lines));
    ASSERT_TRUE(Received(sub, lines - 1));

    ExpectAllInOrder(sub, ball);
    EXPECT_EQ(ball.publisher->View().undelivered, 0);
    EXPECT_EQ(ball.JournalSampleLines(), lines);
}

TEST(MqttPublisher, AnOutageBeyondTheBoundLosesOnlyTheOldestAsManyAsCounted) {
    Broker broker;
    ASSERT_TRUE(broker.Start());
    Subscriber sub;
    ASSERT_TRUE(sub.Start(broker, kBase));
    const int lines = 900;
    Ball ball(broker, lines, {{"MqttQueueSeconds", "2"}});
    ASSERT_TRUE(ball.Connect());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sub.On("status").size() >= 1 && broker.Saved(); }, 20000));
    ball.session->Start();
    ASSERT_TRUE(Received(sub, 100));
    broker.Kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ball.publisher->View().connected; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.publisher->View().undelivered > 150; }, 20000));
    ASSERT_TRUE(broker.Start());
    ASSERT_TRUE(ball.MeasureAll(lines));
    ASSERT_TRUE(Received(sub, lines - 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return ball.publisher->View().queued == 0; }, 20000));

    int outOfOrder = 0, conflicts = 0;
    const auto rows = sub.Samples(&outOfOrder, &conflicts);
    EXPECT_EQ(outOfOrder, 0);
    EXPECT_EQ(conflicts, 0);
    // One block is missing: the oldest the broker was away for, exactly as many as counted.
    int blocks = 0;
    long long expected = 0;
    for (const auto& [seq, row] : rows) {
        blocks += seq != expected;
        expected = seq + 1;
    }
    EXPECT_EQ(blocks, 1);
    EXPECT_EQ(static_cast<long long>(rows.size()) + ball.publisher->View().undelivered, lines);
    EXPECT_EQ(ball.JournalSampleLines(), lines);
    EXPECT_TRUE(ball.publisher->StatusText().contains(QString::number(ball.publisher->View().undelivered)));
}

// Run as a process of its own by the test below, which kills it.
TEST(MqttPublisher, HelperPublishesAStatusUntilKilled) {
    const QString address = qEnvironmentVariable("MIRELVANE_MQTT_HELPER");
    if (address.isEmpty()) GTEST_SKIP() << "only as the helper of the last-will test";
    tMqttLink::tOptions options;
    options.config = ReadMqttConfig(*MakeSettings({{"MqttBroker", address},
                                                   {"MqttUser", "ball"},
                                                   {"MqttPasswordFile", qEnvironmentVariable("MIRELVANE_MQTT_PASSWORD")}}),
                                    "ttyHelper");
    options.willTopic = kBase + "/status";
    options.willPayload = OfflineStatusMessage();
    tMqttLink link(options, nullptr, nullptr);
    tMqttStatus status;
    status.state = "connected";
    link.PostStatus(options.willTopic, StatusMessage(status));
    QTest::qWait(120000);
}

TEST(MqttPublisher, TheLastWillSaysOfflineAfterKillMinus9) {
    Broker broker;
    ASSERT_TRUE(broker.Start());
    Subscriber sub;
    ASSERT_TRUE(sub.Start(broker, kBase));
    QProcess helper;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIRELVANE_MQTT_HELPER", broker.Address());
    env.insert("MIRELVANE_MQTT_PASSWORD", broker.PasswordFile());
    helper.setProcessEnvironment(env);
    helper.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=MqttPublisher.HelperPublishesAStatusUntilKilled"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sub.On("status").isEmpty(); }, 20000));
    EXPECT_TRUE(sub.On("status").last().contains("\"state\":\"connected\""));
    ::kill(static_cast<pid_t>(helper.processId()), SIGKILL);
    helper.waitForFinished();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sub.On("status").last().contains("\"state\":\"offline\""); }, 20000));
}

TEST(MqttLink, ARefusedLoginAndACertificateThatDoesNotVerifyAreToldClearly) {
    Broker broker(true);
    ASSERT_TRUE(broker.Start());
    const auto problemOf = [&](const QList<QPair<QString, QString>>& values) {
        tMqttLink::tOptions options;
        options.config = ReadMqttConfig(*MakeSettings(values), "ttyX");
        options.willTopic = "x/status";
        tMqttLink link(options, nullptr, nullptr);
        return QTest::qWaitFor([&] { return !link.View().problem.isEmpty(); }, 20000) ? link.View().problem : QString();
    };
    TempFolder folder;
    const QString wrong = folder.Write("wrong.pw", "guess\n");
    QFile::setPermissions(wrong, QFile::ReadOwner);
    EXPECT_TRUE(problemOf({{"MqttBroker", broker.Address()}, {"MqttUser", "ball"}, {"MqttPasswordFile", wrong},
                           {"MqttCaFile", broker.CaFile()}})
                    .contains("refused"));
    EXPECT_TRUE(problemOf({{"MqttBroker", broker.Address()}, {"MqttUser", "ball"},
                           {"MqttPasswordFile", broker.PasswordFile()}, {"MqttCaFile", broker.OtherCaFile()}})
                    .contains("certificate verify failed"))
        << problemOf({{"MqttBroker", broker.Address()}, {"MqttUser", "ball"}, {"MqttPasswordFile", broker.PasswordFile()}, {"MqttCaFile", broker.OtherCaFile()}}).toStdString();
}
