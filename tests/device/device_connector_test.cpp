#include "device/device_connector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "device/ballsim_process.h"
#include "device/device_test_support.h"
#include "device/port_list.h"
#include "device/serial_port.h"

namespace {
// A ballsim that records what it was sent.
struct Ball {
    explicit Ball(const QStringList& arguments = {}) {
        record = folder.Path(QStringLiteral("wire"));
        process.Start(QStringList{QStringLiteral("--record"), record} + arguments);
    }
    QString Path() const { return process.Path(); }
    QByteArray Wire() const { return ReadWholeFile(record); }

    TempFolder folder;
    QString record;
    BallsimProcess process;
};

const QList<QByteArray> kListSteps = {"Registry created", "StringList created", "Rootkey!",
                                      "Key opened.",      "Object list created.",
                                      "Get Value Names."};

QByteArray Text(const char* constant) { return LangConst(QLatin1String(constant)).toUtf8(); }
}  // namespace

TEST(DeviceConnect, KeepsTheFirstOfTwoAnsweringPortsAndClosesTheOther) {
    Ball wrong({QStringLiteral("--id-wrong")});
    Ball second;
    Ball third;
    auto settings = MakeSettings(
        {{"CheckCount", "1"}, {"Ports", wrong.Path() + ';' + second.Path() + ';' + third.Path()}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    int batterySteps = 0;
    connector.SetBatteryStep([&](tDevice& device) {
        ++batterySteps;
        EXPECT_EQ(device.ReadBattery(), 87);
    });
    tConnection connection;
    EXPECT_EQ(connector.ConnectDevice(connection), QString());
    ASSERT_TRUE(connection.Device);
    EXPECT_EQ(connection.Device->GetPortName(), second.Path());
    EXPECT_FALSE(connection.Device->IsMeasuring());
    EXPECT_GE(connection.DevTime, 0);
    EXPECT_EQ(batterySteps, 1);
    EXPECT_EQ(second.Wire(), "I\r\n?\r\nB\r\n");
    EXPECT_EQ(third.Wire(), "I\r\n");
    tSerialPort free;
    EXPECT_TRUE(free.Open(third.Path()));  // closed again
    EXPECT_EQ(log.Count("DevID " + wrong.Path().toUtf8() + " error: CHECK failed."), 1);
    EXPECT_EQ(log.Count("CHECK: " + wrong.Path().toUtf8() + " ID NOT FOUND IN RESPONSE"), 1);
    EXPECT_EQ(log.CountStartingWith("COM: "), 0);
}

TEST(DeviceConnect, GoesOnPastAPortThatCannotBeOpened) {
    Ball ball;
    const QString missing = QStringLiteral("/nonexistent/ttyBall");
    auto settings = MakeSettings({{"Ports", missing + ';' + ball.Path()}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    tConnection connection;
    EXPECT_EQ(connector.ConnectDevice(connection), QString());
    ASSERT_TRUE(connection.Device);
    EXPECT_EQ(connection.Device->GetPortName(), ball.Path());
    QString openText = LoadStr(1007);
    openText.replace(openText.indexOf(QLatin1String("%s")), 2, missing);
    openText.replace(openText.indexOf(QLatin1String("%s")), 2, QString::fromLocal8Bit(strerror(ENOENT)));
    EXPECT_EQ(log.Count("DevID " + missing.toUtf8() + " error: " + openText.toUtf8()), 1);
}

TEST(DeviceConnect, LogsTheListStepsThenTheTimeThenTheBattery) {
    Ball ball;
    auto settings = MakeSettings({{"Ports", ball.Path()}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    connector.SetBatteryStep([](tDevice& device) { device.ReadBattery(); });
    tConnection connection;
    ASSERT_EQ(connector.ConnectDevice(connection), QString());
    const QList<QByteArray> m = log.Messages();
    EXPECT_EQ(m.mid(0, kListSteps.size()), kListSteps);
    const int identify = m.indexOf("SEND: BIN 'I\r\n'");
    const int time = m.indexOf("SEND: BIN '?\r\n'");
    const int devTime = m.indexOf("DevTime:" + QByteArray::number(connection.DevTime));
    const int battery = m.indexOf("SEND: BIN 'B\r\n'");
    EXPECT_GT(identify, kListSteps.size() - 1);
    EXPECT_GT(time, identify);
    EXPECT_EQ(devTime, time + 7);  // right after the whole exchange
    EXPECT_GT(battery, devTime);
}

TEST(DeviceConnect, FailsWithNoPortsForAListWithoutValues) {
    auto settings = MakeSettings({{"Ports", " ; ;"}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    tConnection connection;
    EXPECT_EQ(connector.ConnectDevice(connection).toUtf8(), Text("LC_NO_COM_PORTS"));
    EXPECT_FALSE(connection.Device);
    EXPECT_EQ(connection.DevTime, -1);
    EXPECT_EQ(log.Messages(), kListSteps + QList<QByteArray>{"COM: " + Text("LC_NO_COM_PORTS")});
}

TEST(DeviceConnect, FailsWithDeviceNotFoundWhenNoPortPasses) {
    Ball silent({QStringLiteral("--id-short")});
    auto settings = MakeSettings({{"Ports", silent.Path()}, {"CheckCount", "1"}});
    LogCapture log;
    tDeviceConnector connector(settings.get());
    tConnection connection;
    EXPECT_EQ(connector.ConnectDevice(connection).toUtf8(), Text("LC_DEVICE_NOT_FOUND"));
    EXPECT_FALSE(connection.Device);
    EXPECT_EQ(log.Messages().last(), "COM: " + Text("LC_DEVICE_NOT_FOUND"));
    EXPECT_EQ(log.CountStartingWith("DevTime:"), 0);
}

TEST(DeviceConnect, DisconnectsFirstSoThatTheSameBallIsFoundAgain) {
    Ball ball;
    auto settings = MakeSettings({{"Ports", ball.Path()}});
    tDeviceConnector connector(settings.get());
    int idleCalls = 0;
    connector.SetIdle([&] { ++idleCalls; });
    tConnection connection;
    ASSERT_EQ(connector.ConnectDevice(connection), QString());
    const tDevice* first = connection.Device.get();
    ASSERT_EQ(connector.ConnectDevice(connection), QString());
    EXPECT_NE(connection.Device.get(), first);
    EXPECT_EQ(connection.Device->GetPortName(), ball.Path());
    EXPECT_GT(idleCalls, 0);  // the pauses between ports alone call it

    tDeviceConnector::DisconnectDevice(connection);
    EXPECT_FALSE(connection.Device);
    EXPECT_EQ(connection.DevTime, -1);
    tDeviceConnector::DisconnectDevice(connection);
    EXPECT_EQ(connection.DevTime, -1);
}

TEST(DeviceConnect, EndsTheStreamOfADriverThatIsDestroyedWhileMeasuring) {
    Ball ball;
    auto settings = MakeSettings({{"Ports", ball.Path()}});
    tDeviceConnector connector(settings.get());
    tConnection connection;
    ASSERT_EQ(connector.ConnectDevice(connection), QString());
    connection.Device->StartMeasure();
    tPacketQueue queue;
    ASSERT_TRUE(WaitUntil([&] { return connection.Device->TakePackets(queue) > 0; }));
    tDeviceConnector::DisconnectDevice(connection);
    tSerialPort port;
    EXPECT_TRUE(port.Open(ball.Path()));
}

TEST(PortList, TakesThePortsKeyInItsOwnOrder) {
    auto settings = MakeSettings({{"Ports", "/dev/b; /dev/a ;;/dev/c"}});
    tPortList ports(settings.get());
    ASSERT_TRUE(ports.OpenKey());
    EXPECT_EQ(ports.GetValueNames(), (QStringList{"/dev/b", "/dev/a", "/dev/c"}));
    EXPECT_EQ(ports.ReadString(QStringLiteral("/dev/a")), QStringLiteral("/dev/a"));
    EXPECT_THROW(ports.ReadString(QStringLiteral("/dev/z")), Exception);
}

TEST(PortList, GivesTheSystemsPortsInTheOrderOfTheirPaths) {
    auto settings = MakeSettings();
    tPortList ports(settings.get());
    if (!ports.OpenKey()) GTEST_SKIP() << "no system list of serial ports here";
    QStringList paths;
    for (const QString& name : ports.GetValueNames()) paths << ports.ReadString(name);
    QStringList sorted = paths;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(paths, sorted);
}
