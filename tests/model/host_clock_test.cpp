// The host's clock against a record's, on a clock that the test controls: chunks that arrive
// late by the serial path's jitter, a ball's clock that drifts, a restart.
#include "model/host_clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {
// A ball that stamps its lines with its own clock, 100 ppm slow, 40 s behind the host, and
// chunks that arrive 0 to 25 ms late, now and then 120 ms (a busy host).
struct Stream {
    double offset = 40;
    double rate = 1 - 1e-4;
    std::mt19937 random{7};
    double RecordAt(double host) const { return (host - offset) * rate; }
    void Run(tHostClockFit& fit, double from, double to) {
        std::uniform_real_distribution<double> jitter(0, 0.025);
        for (double host = from; host < to; host += 0.1) {
            const double late = (random() % 20 == 0) ? 0.12 : jitter(random);
            fit.Add(host + late, RecordAt(host));
        }
    }
};
}  // namespace

TEST(HostClock, MapsAMomentToTheRecordWithinAMillisecondDespiteJitterAndDrift) {
    tHostClockFit fit;
    EXPECT_FALSE(fit.HasFit());
    EXPECT_EQ(fit.RecordAt(5), 0);
    Stream stream;
    stream.Run(fit, 1000, 1060);
    ASSERT_TRUE(fit.HasFit());
    double worst = 0;
    for (double host = 1040; host <= 1062; host += 0.37)
        worst = std::max(worst, std::abs(fit.RecordAt(host) - stream.RecordAt(host)));
    EXPECT_LT(worst, 0.001);
    EXPECT_NEAR(fit.Drift(), 1e-4, 2e-5);
    EXPECT_NEAR(fit.HostAt(stream.RecordAt(1050)), 1050, 0.001);
    // A ball away for a while: the last fit goes on.
    EXPECT_LT(std::abs(fit.RecordAt(1090) - stream.RecordAt(1090)), 0.002);
}

TEST(HostClock, ARestartFitsAnewAndKeepsTheLastFitUntilNewPointsCome) {
    tHostClockFit fit;
    Stream stream;
    stream.Run(fit, 0, 30);
    fit.Restart();
    EXPECT_LT(std::abs(fit.RecordAt(31) - stream.RecordAt(31)), 0.002);
    // The ball's clock starts again: its record now runs 100 s further on.
    stream.offset -= 100;
    stream.Run(fit, 31, 40);
    EXPECT_LT(std::abs(fit.RecordAt(39.95) - stream.RecordAt(39.95)), 0.001);
}
