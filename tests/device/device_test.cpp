#include "device/device.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "base/builtin_texts.h"
#include "device/ballsim_process.h"
#include "device/device_test_support.h"
#include "device/serial_port.h"

namespace {
QString SystemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString OpenFailureText(const QString& port, int error) {
    QString text = LoadStr(1007);
    text.replace(text.indexOf(QLatin1String("%s")), 2, port);
    text.replace(text.indexOf(QLatin1String("%s")), 2, SystemText(error));
    return text;
}

// A driver opened on a fresh ballsim.
struct Connected {
    explicit Connected(const QStringList& arguments,
                       const QList<QPair<QString, QString>>& values = {})
        : settings(MakeSettings(values)) {
        record = folder.Path(QStringLiteral("wire"));
        ball.Start(QStringList{QStringLiteral("--record"), record} + arguments);
        device = std::make_unique<tDevice>(ball.Path(), settings.get());
        QString error;
        opened = device->Open(error);
    }
    QByteArray Wire() const { return ReadWholeFile(record); }

    TempFolder folder;
    QString record;
    BallsimProcess ball;
    std::unique_ptr<tSettings> settings;
    std::unique_ptr<tDevice> device;
    bool opened = false;
};
}  // namespace

TEST(ValueReply, TrimsControlCharactersAndReadsASignedNumber) {
    EXPECT_EQ(ParseValueReply(QByteArray("      87\r\n")), 87);
    EXPECT_EQ(ParseValueReply(QByteArray("\0\0  -12\t\r\n", 10)), -12);
    EXPECT_EQ(ParseValueReply(QByteArray("+5        ")), 5);
    EXPECT_EQ(ParseValueReply(QByteArray("2147483647")), 2147483647);
    EXPECT_EQ(ParseValueReply(QByteArray("-2147483648")), -2147483647 - 1);
}

TEST(ValueReply, GivesMinusOneForAnythingButAnInteger) {
    EXPECT_EQ(ParseValueReply(QByteArray("abcdefghij")), -1);
    EXPECT_EQ(ParseValueReply(QByteArray("   1 2\r\n  ")), -1);
    EXPECT_EQ(ParseValueReply(QByteArray("  0x10\r\n  ")), -1);
    EXPECT_EQ(ParseValueReply(QByteArray("   -  \r\n  ")), -1);
    EXPECT_EQ(ParseValueReply(QByteArray(10, '\0')), -1);
    EXPECT_EQ(ParseValueReply(QByteArray("2147483648")), -1);
}

TEST(DeviceOpen, ReportsAMissingPortWithTheSystemsReason) {
    auto settings = MakeSettings();
    const QString port = QStringLiteral("/nonexistent/ttyBall");
    tDevice device(port, settings.get());
    QString error;
    EXPECT_FALSE(device.Open(error));
    EXPECT_EQ(error, OpenFailureText(port, ENOENT));
    EXPECT_FALSE(device.Close());
}

TEST(DeviceOpen, ReportsAPortThatAnotherProcessHolds) {
    BallsimProcess ball(QStringList{});
    ASSERT_FALSE(ball.Path().isEmpty());
    SpawnedProcess holder;
    if (!holder.Start(QStringLiteral("flock"), {QStringLiteral("--no-fork"), ball.Path(),
                                                QStringLiteral("-c"),
                                                QStringLiteral("echo held; exec sleep 60")}) ||
        holder.ReadLine() != "held")
        GTEST_SKIP() << "flock(1) is not available";

    auto settings = MakeSettings();
    tDevice device(ball.Path(), settings.get());
    QString error;
    EXPECT_FALSE(device.Open(error));
    EXPECT_EQ(error, OpenFailureText(ball.Path(), EBUSY));
    holder.Stop();
    EXPECT_TRUE(device.Open(error)) << error.toStdString();
}

TEST(DeviceOpen, KeepsASecondDriverOffAnOpenPortUntilTheFirstCloses) {
    Connected first({});
    ASSERT_TRUE(first.opened);
    tDevice second(first.ball.Path(), first.settings.get());
    QString error;
    EXPECT_FALSE(second.Open(error));
    EXPECT_TRUE(first.device->Close());
    EXPECT_TRUE(second.Open(error)) << error.toStdString();
    EXPECT_TRUE(second.Identify());
}

TEST(DeviceOpen, ReportsAFileThatIsNoPortAsAnUnreadableState) {
    TempFolder folder;
    const QString path = folder.Write(QStringLiteral("plain"), "not a port");
    auto settings = MakeSettings();
    tDevice device(path, settings.get());
    QString error;
    EXPECT_FALSE(device.Open(error));
    EXPECT_EQ(error, LangConst(QStringLiteral("LC_CANT_GET_DEVICE_STATE")) + path + u'.');
}

TEST(DeviceIdentify, PassesAtTheFirstAttemptWithoutACheckLine) {
    LogCapture log;
    Connected c({});
    ASSERT_TRUE(c.opened);
    EXPECT_TRUE(c.device->Identify());
    EXPECT_EQ(log.Count("SEND: write bytes 3"), 1);
    EXPECT_EQ(log.CountStartingWith("CHECK: "), 0);
    EXPECT_EQ(c.Wire(), "I\r\n");
}

TEST(DeviceIdentify, FailsEveryAttemptOnAFourteenByteAnswer) {
    LogCapture log;
    Connected c({QStringLiteral("--id-short")}, {{"CheckCount", "3"}, {"CheckTimeout", "100"}});
    ASSERT_TRUE(c.opened);
    EXPECT_FALSE(c.device->Identify());
    EXPECT_EQ(log.Count("RECV: read bytes 14"), 3);
    EXPECT_EQ(log.Messages().last(), "CHECK: " + c.ball.Path().toUtf8() + " READ ID FAILED");
    EXPECT_EQ(log.CountStartingWith("CHECK: "), 1);
}

TEST(DeviceIdentify, EndsInIdNotFoundWhenOneByteDiffers) {
    LogCapture log;
    Connected c({QStringLiteral("--id-wrong")}, {{"CheckCount", "2"}});
    ASSERT_TRUE(c.opened);
    EXPECT_FALSE(c.device->Identify());
    EXPECT_EQ(log.Count("RECV: read bytes 15"), 2);
    EXPECT_EQ(log.Messages().last(),
              "CHECK: " + c.ball.Path().toUtf8() + " ID NOT FOUND IN RESPONSE");
}

TEST(DeviceIdentify, TakesFiveAttemptsForACheckCountBelowOneOrNoNumber) {
    for (const char* count : {"0", "-3", "word"}) {
        LogCapture log;
        Connected c({QStringLiteral("--id-short")}, {{"CheckCount", count}, {"CheckTimeout", "30"}});
        ASSERT_TRUE(c.opened);
        EXPECT_FALSE(c.device->Identify());
        EXPECT_EQ(log.Count("SEND: write bytes 3"), 5) << count;
    }
}

TEST(DeviceIdentify, FailsALateReplyWhichTheNextExchangePurges) {
    LogCapture log;
    Connected c({QStringLiteral("--late"), QStringLiteral("300"), QStringLiteral("--late-count"),
                 QStringLiteral("1")},
                {{"CheckTimeout", "150"}});
    ASSERT_TRUE(c.opened);
    EXPECT_TRUE(c.device->Identify());
    EXPECT_EQ(log.Count("RECV: read bytes 0"), 1);
    EXPECT_EQ(log.Count("RECV: read bytes 15"), 1);
    // The late identification lands in the buffer now; the battery request must not read it.
    ASSERT_TRUE(WaitUntil([&] { return c.device->InputWaiting() >= 15; }));
    EXPECT_EQ(c.device->ReadBattery(), 87);
}

TEST(DeviceValues, ReadTheBatteryOnlyFromAWholeTenByteNumber) {
    Connected padded({QStringLiteral("--reply"), QStringLiteral("B=      87\\r\\n")});
    EXPECT_EQ(padded.device->ReadBattery(), 87);
    Connected shortReply({QStringLiteral("--reply"), QStringLiteral("B=87\\r\\n")});
    EXPECT_EQ(shortReply.device->ReadBattery(), -1);
    Connected letters({QStringLiteral("--reply"), QStringLiteral("B=abcdefghij")});
    EXPECT_EQ(letters.device->ReadBattery(), -1);
}

TEST(DeviceValues, SendTheRangeAndTimeRequestsAndReadTheirReplies) {
    Connected c({QStringLiteral("--device-time"), QStringLiteral("60000")});
    ASSERT_TRUE(c.opened);
    EXPECT_EQ(c.device->SetAccRange(3), 2);
    EXPECT_EQ(c.device->SetGyroRange(0), 2000);
    EXPECT_GE(c.device->ReadDeviceTime(), 60000);
    c.device->Calibrate();
    c.device->CalibrateAcc();
    EXPECT_TRUE(c.device->SetMotorPower(100));
    c.device->SendImpulse(255, 2000);
    ASSERT_TRUE(WaitUntil([&] { return c.Wire().endsWith("P M1:255*2000\r\n"); }));
    EXPECT_EQ(c.Wire(), "P A0:3\r\nP G0:0\r\n?\r\nC\r\nO\r\nP M1:100*0\r\nP M1:255*2000\r\n");
}

TEST(DeviceTransact, LogsOneBatteryExchangeLineByLine) {
    Connected c({});
    ASSERT_TRUE(c.opened);
    LogCapture log;
    EXPECT_EQ(c.device->ReadBattery(), 87);
    const QList<QByteArray> expected = {
        "SEND: purge comm",
        "SEND: write bytes 3",
        "SEND: HEX 0x42 0x0D 0x0A ",
        "SEND: BIN 'B\r\n'",
        "SEND: request written",
        "RECV: try to read bytes 10",
        "RECV: read bytes 10",
        "RECV: HEX 0x20 0x20 0x20 0x20 0x20 0x20 0x38 0x37 0x0D 0x0A ",
        "RECV: BIN '      87\r\n'",
        "",
    };
    EXPECT_EQ(log.Messages(), expected);
}

TEST(DeviceTransact, ReportsAFailedWriteWithoutTheWrittenLine) {
    auto settings = MakeSettings();
    tDevice device(QStringLiteral("/nonexistent/ttyBall"), settings.get());
    LogCapture log;
    char reply[10];
    EXPECT_FALSE(device.Transact("B\r\n", 3, 500, 10, reply));
    EXPECT_EQ(log.Count("SEND: request written"), 0);
    EXPECT_EQ(log.Count("RECV: try to read bytes 10"), 1);
    EXPECT_EQ(log.CountStartingWith("RECV: read bytes"), 0);
}

TEST(DeviceStop, WritesTheStopRequestAndPurgesWithoutAThread) {
    Connected c({});
    ASSERT_TRUE(c.opened);
    // Start the ball directly, so that it streams while no thread reads.
    ASSERT_TRUE(c.device->Transact("S\r\n", 3, 500, 0, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return c.device->InputWaiting() > 0; }));
    EXPECT_FALSE(c.device->IsMeasuring());
    EXPECT_TRUE(c.device->StopMeasure());
    EXPECT_EQ(c.Wire(), "S\r\nT\r\n");
    // Nothing of the stream is left: an empty request reads nothing back.
    char reply[10];
    LogCapture log;
    EXPECT_FALSE(c.device->Transact("", 0, 100, 10, reply));
    EXPECT_EQ(log.Count("RECV: read bytes 0"), 1);
    EXPECT_EQ(log.Count("SEND: purge comm"), 0);
}
