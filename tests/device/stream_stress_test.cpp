#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/device_connector.h"
#include "device/device_test_support.h"
#include "device/measure_thread.h"
#include "support/c_locale.h"

namespace {
using Clock = std::chrono::steady_clock;

// Checks the lines of each chunk as the window will read them: whole, all eleven fields, and
// the ball's time running on by one sample period from line to line.
struct LineCheck {
    long long lines = 0;
    long long broken = 0;
    long long gaps = 0;
    double lastTime = -1;

    void Take(const tPacket& packet) {
        const QByteArray chunk(packet.Data(), packet.Length());
        for (const QByteArray& line : chunk.split('\n')) {
            if (line.isEmpty()) continue;
            float v[10];
            int battery = 0;
            const CLocaleScope c;
            const int fields = std::sscanf(
                line.constData(),
                "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d", &v[0],
                &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8], &v[9], &battery);
            if (fields != 11 || !line.endsWith('\r')) {
                ++broken;
                continue;
            }
            if (lastTime >= 0 && v[9] != static_cast<float>(lastTime + 10)) ++gaps;
            lastTime = v[9];
            ++lines;
        }
    }
    // Takes chunks until `enough` holds or nothing came for `quietMs`.
    void Drain(tDevice& device, const std::function<bool()>& enough, int quietMs) {
        auto lastData = Clock::now();
        while (!enough() && Clock::now() - lastData < std::chrono::milliseconds(quietMs)) {
            tPacketQueue queue;
            if (device.TakePackets(queue) > 0) lastData = Clock::now();
            for (const tPacket& p : queue) Take(p);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
};


long long Ms(Clock::duration d) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(d).count();
}
}  // namespace

TEST(StreamStress, DeliversEveryLineWholeAtAHundredTimesTheLineRate) {
    const long long sent = 120000;  // about 10 s at --speed 100
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("100"),
                         QStringLiteral("--stream-lines"), QString::number(sent)});
    auto settings = MakeSettings();
    tDevice device(ball.Path(), settings.get());
    QString error;
    ASSERT_TRUE(device.Open(error));
    const auto start = Clock::now();
    device.StartMeasure();
    LineCheck check;
    check.Drain(device, [&] { return check.lines + check.broken >= sent; }, 10000);
    const long long elapsed = Ms(Clock::now() - start);
    device.StopMeasure();
    ball.Stop();
    EXPECT_TRUE(ball.Errors().contains("stream stopped after " + QByteArray::number(sent) + " lines"));
    EXPECT_EQ(check.lines, sent);
    EXPECT_EQ(check.broken, 0);
    EXPECT_EQ(check.gaps, 0);
    std::cout << "stress: " << sent << " lines sent, " << check.lines << " received whole in "
              << elapsed << " ms\n";
}

TEST(StreamStress, SurvivesGarbageNulBytesAndEndlessLinesAndGoesOnStreaming) {
    LogCapture log;
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("20"), QStringLiteral("--garbage"),
                         QStringLiteral("7"), QStringLiteral("--nul-storm"), QStringLiteral("50"),
                         QStringLiteral("--no-line-end"), QStringLiteral("100")});
    auto settings = MakeSettings();
    tDevice device(ball.Path(), settings.get());
    QString error;
    ASSERT_TRUE(device.Open(error));
    device.StartMeasure();
    LineCheck check;
    check.Drain(device, [&] { return check.lines >= 300; }, 5000);
    device.StopMeasure();
    EXPECT_GE(check.lines, 300);
    EXPECT_GT(check.broken, 0);  // the garbage lines, delivered as lines for the window to reject
    EXPECT_GE(log.CountStartingWith("Line longer than 1280 bytes, dropped "), 2);
}

TEST(StreamStress, EndsItsReadingOnceAfterAnUnplugAndStillStopsAndReconnects) {
    LogCapture log;
    BallsimProcess ball({QStringLiteral("--unplug-after"), QStringLiteral("50")});
    auto settings = MakeSettings({{"Ports", ball.Path()}});
    tDeviceConnector connector(settings.get());
    tConnection connection;
    ASSERT_EQ(connector.ConnectDevice(connection), QString());
    tDevice& device = *connection.Device;
    device.StartMeasure();
    ASSERT_TRUE(WaitUntil([&] { return device.LinkLost(); }));
    EXPECT_TRUE(device.LossReason().startsWith("port failed: ")) << device.LossReason().constData();

    // A gone port is not read again: no failing pass repeats, and the thread has ended.
    const tMeasureThread& thread = *device.MeasureThread();
    ASSERT_TRUE(WaitUntil([&] { return thread.Finished(); }));
    EXPECT_EQ(log.Count("ReadTimeout"), 1);
    EXPECT_EQ(thread.LinesRead(), 50);

    EXPECT_FALSE(device.StopMeasure());  // the stop request has no line to go to
    EXPECT_FALSE(device.IsMeasuring());

    BallsimProcess fresh(QStringList{});
    settings->SetSettingByName(QStringLiteral("Ports"), fresh.Path());
    EXPECT_EQ(connector.ConnectDevice(connection), QString());
    ASSERT_TRUE(connection.Device);
    EXPECT_EQ(connection.Device->GetPortName(), fresh.Path());
}
