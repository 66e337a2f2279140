#include "device/measure_thread.h"

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/device_test_support.h"

namespace {
// A driver streaming from a pseudo-terminal that the test feeds, with the log caught and
// "LOG_MEASURE" on the command line.
struct Streaming {
    Streaming() : settings(MakeSettings()) {
        SetCommandLine(QStringList{QStringLiteral("tests"), QStringLiteral("-LOG_MEASURE")});
        device = std::make_unique<tDevice>(peer.Path(), settings.get());
        QString error;
        EXPECT_TRUE(device->Open(error)) << error.toStdString();
        log.Clear();
    }
    ~Streaming() {
        device.reset();
        SetCommandLine(QStringList{QStringLiteral("tests")});
    }
    void Start() {
        device->StartMeasure();
        EXPECT_TRUE(WaitUntil([&] { return log.Count("START COMMAND WRITTEN") == 1; }));
        EXPECT_EQ(peer.Received(), "S\r\n");
    }
    // The next chunk's bytes.
    QByteArray NextChunk() {
        tPacketQueue queue;
        EXPECT_TRUE(WaitUntil([&] { return device->TakePackets(queue) > 0; }));
        if (queue.empty()) return QByteArray();
        EXPECT_EQ(queue.size(), 1u);
        EXPECT_EQ(queue.front().Data()[queue.front().Length() - 1], '\n');
        return QByteArray(queue.front().Data(), queue.front().Length());
    }
    // Waits for `message` and then for the next pass to have ended.
    bool WaitForLog(const QByteArray& message) {
        return WaitUntil([&] { return log.Count(message) > 0; }) &&
               WaitUntil([&] {
                   const QList<QByteArray> m = log.Messages();
                   const int at = static_cast<int>(m.indexOf(message));
                   return m.mid(at + 1).contains("Invalid data recv :") ||
                          m.mid(at + 1).contains(QByteArray("Readed 0 bytes"));
               });
    }

    LogCapture log;
    PtyPeer peer;
    std::unique_ptr<tSettings> settings;
    std::unique_ptr<tDevice> device;
};

int SumOfDrops(const QList<QByteArray>& messages) {
    const QByteArray prefix = "Line longer than 1280 bytes, dropped ";
    int sum = 0;
    for (const QByteArray& m : messages)
        if (m.startsWith(prefix)) sum += m.mid(prefix.size()).split(' ').first().toInt();
    return sum;
}
}  // namespace

TEST(StreamThread, QueuesTwoWholeLinesAsOneChunkWithoutAFooter) {
    Streaming s;
    s.Start();
    ASSERT_TRUE(s.peer.Send("ax:1\r\nax:2\r\n"));
    EXPECT_EQ(s.NextChunk(), "ax:1\r\nax:2\r\n");
    EXPECT_EQ(s.log.Count("Readed 12 bytes"), 1);
    EXPECT_EQ(s.log.CountStartingWith("_footer_size="), 0);
}

TEST(StreamThread, CarriesFortyBytesIntoTheNextChunkAndLogsThemAsAFooter) {
    Streaming s;
    s.Start();
    const QByteArray next = "ax:2\tay:" + QByteArray(32, '7');
    ASSERT_TRUE(s.peer.Send("ax:1\r\n" + next));
    EXPECT_EQ(s.NextChunk(), "ax:1\r\n");
    QByteArray hex;
    for (char c : next)
        hex += "0x" + QByteArray::number(static_cast<uchar>(c), 16).toUpper().rightJustified(2, '0');
    const QByteArray footer = "_footer_size=40\r\n" + hex + "\r\n";
    EXPECT_EQ(s.log.Count(footer), 1);
    ASSERT_TRUE(s.peer.Send("\r\n"));
    EXPECT_EQ(s.NextChunk(), next + "\r\n");
}

TEST(StreamThread, CarriesThreeHundredBytesWithoutALineEndUntilItComes) {
    Streaming s;
    s.Start();
    const QByteArray line(300, 'x');
    ASSERT_TRUE(s.peer.Send(line));
    ASSERT_TRUE(s.WaitForLog("Readed 300 bytes"));
    const QList<QByteArray> m = s.log.Messages();
    EXPECT_EQ(m.at(m.indexOf("Readed 300 bytes") + 2), "Invalid data recv :");
    tPacketQueue none;
    EXPECT_EQ(s.device->TakePackets(none), 0);
    ASSERT_TRUE(s.peer.Send("\r\n"));
    EXPECT_EQ(s.NextChunk(), line + "\r\n");
}

TEST(StreamThread, DropsALineLongerThanTheCarryAreaAndResynchronises) {
    Streaming s;
    s.Start();
    ASSERT_TRUE(s.peer.Send(QByteArray(2000, 'x')));
    ASSERT_TRUE(WaitUntil([&] { return SumOfDrops(s.log.Messages()) == 2000; }));
    ASSERT_TRUE(s.peer.Send("xxx\r\nax:9\r\n"));
    EXPECT_EQ(s.NextChunk(), "ax:9\r\n");
    EXPECT_EQ(SumOfDrops(s.log.Messages()), 2005);
}

TEST(StreamThread, WritesOnlyTheLastOfTwoPostsWithinOneReadPeriod) {
    Streaming s;
    s.Start();
    EXPECT_TRUE(s.device->SetMotorPower(100));
    EXPECT_TRUE(s.device->SetMotorPower(200));
    QByteArray wire;
    ASSERT_TRUE(WaitUntil([&] { return (wire += s.peer.Received()).size() >= 12; }));
    EXPECT_EQ(wire, "P M1:200*0\r\n");
    // The peer can read the bytes before the thread logs that the write is done.
    ASSERT_TRUE(WaitUntil([&] { return s.log.Count("COMMAND WRITTEN") > 0; }));
    EXPECT_EQ(s.log.CountStartingWith("WRITING: "), 1);
    EXPECT_EQ(s.log.Count("WRITING: P M1:200*0\r\n"), 1);
    EXPECT_EQ(s.log.Count("COMMAND WRITTEN"), 1);

    s.device->SendImpulse(255, 2000);
    wire.clear();
    ASSERT_TRUE(WaitUntil([&] { return (wire += s.peer.Received()).size() >= 15; }));
    EXPECT_EQ(wire, "P M1:255*2000\r\n");
    EXPECT_EQ(s.peer.Received(), "");
}

TEST(StreamThread, LogsAStartRequestThatCannotBeWrittenAndStaysUntilStopped) {
    Streaming s;
    s.peer.Unplug();
    s.device->StartMeasure();
    ASSERT_TRUE(WaitUntil([&] { return s.device->MeasureThread()->Finished(); }));
    EXPECT_EQ(s.log.Count("START FAILED"), 1);
    EXPECT_EQ(s.log.CountStartingWith("Readed"), 0);
    EXPECT_TRUE(s.device->IsMeasuring());
    EXPECT_FALSE(s.device->StopMeasure());
    EXPECT_FALSE(s.device->IsMeasuring());
}

TEST(StreamThread, TakesIntoTheCallersQueueBehindWhatItHolds) {
    Streaming s;
    tPacketQueue queue(1);
    EXPECT_EQ(s.device->TakePackets(queue), 0);  // no stream thread
    s.Start();
    EXPECT_EQ(s.device->TakePackets(queue), 1);
    ASSERT_TRUE(s.peer.Send("ax:1\r\n"));
    ASSERT_TRUE(WaitUntil([&] { return s.device->TakePackets(queue) == 2; }));
    EXPECT_EQ(queue.front().Length(), 0);
    EXPECT_EQ(QByteArray(queue.back().Data(), queue.back().Length()), "ax:1\r\n");
}

TEST(StreamThread, EndsAtATerminateRequestWhileTheBallStreams) {
    LogCapture log;
    TempFolder folder;
    const QString record = folder.Path(QStringLiteral("wire"));
    BallsimProcess ball({QStringLiteral("--record"), record});
    auto settings = MakeSettings();
    tDevice device(ball.Path(), settings.get());
    QString error;
    ASSERT_TRUE(device.Open(error));
    device.StartMeasure();
    tPacketQueue queue;
    ASSERT_TRUE(WaitUntil([&] { return device.TakePackets(queue) >= 3; }));
    // Chunks that nobody takes any more are freed with the thread.
    ASSERT_TRUE(WaitUntil([&] { return log.CountStartingWith("Readed ") >= 6; }));
    EXPECT_TRUE(device.StopMeasure());
    EXPECT_FALSE(device.IsMeasuring());
    EXPECT_EQ(device.TakePackets(queue), 0);
    for (const tPacket& p : queue) EXPECT_EQ(p.Data()[p.Length() - 1], '\n');
    ASSERT_TRUE(WaitUntil([&] { return ReadWholeFile(record) == "S\r\nT\r\n"; }));
    // No pass of the thread runs after the stop request.
    const QList<QByteArray> m = log.Messages();
    int lastRead = -1;
    for (int i = 0; i < m.size(); ++i)
        if (m[i].startsWith("Readed ")) lastRead = i;
    EXPECT_LT(lastRead, m.indexOf("SEND: BIN 'T\r\n'"));
}
