#include "model/sample_clock.h"

#include <gtest/gtest.h>

#include "model/sample_decoder.h"

namespace {
constexpr double kPeriod = 0.01;

// Feeds the ball times first, first + period, ... for `count` lines, skipping those `drop`
// picks; returns the record time of the last one.
template <typename Drop>
double Feed(tSampleClock& clock, double first, int count, Drop drop) {
    double last = -1;
    for (int i = 0; i < count; ++i)
        if (!drop(i)) last = clock.Place(first + i * kPeriod);
    return last;
}
}  // namespace

TEST(SampleClock, CountsEveryDroppedLineOnceAlsoAmongTheStepsThatTaughtThePeriod) {
    tSampleClock clock;
    // Every 100th of 10,000 lines dropped, and then also a burst of five inside the first 50
    // steps.
    Feed(clock, 1.0, 10000, [](int i) { return i % 100 == 50; });
    EXPECT_EQ(clock.LostLines(), 100);
    clock.Reset();
    Feed(clock, 1.0, 10000, [](int i) { return i % 100 == 50 || (i >= 20 && i < 25); });
    EXPECT_NEAR(clock.Period(), kPeriod, 1e-9);
    EXPECT_EQ(clock.LostLines(), 100 + 5);
    EXPECT_EQ(clock.Restarts(), 0);
}

TEST(SampleClock, AClockThatRunsBackwardsIsARestartThatTheRecordGoesOnAfter) {
    tSampleClock clock;
    // A restart as the first step after start: no period is known yet.
    clock.Place(5.0);
    EXPECT_DOUBLE_EQ(clock.Place(1.0), 5.0 + tSampleClock::kDefaultPeriod);
    EXPECT_TRUE(clock.LastWasRestart());
    const double before = Feed(clock, 1.01, 200, [](int) { return false; });
    // Two restarts in a row, the second one a wrap of the clock to zero.
    const double first = clock.Place(1.0);
    const double second = clock.Place(0.0);
    EXPECT_NEAR(first, before + kPeriod, 1e-9);
    EXPECT_NEAR(second, first + kPeriod, 1e-9);
    // The ball's steps go on from the new base.
    EXPECT_NEAR(clock.Place(0.01), second + kPeriod, 1e-9);
    EXPECT_EQ(clock.Restarts(), 3);
    EXPECT_EQ(clock.LostLines(), 0);
}

TEST(SampleClock, ABreakPlacesTheNextSampleAfterItWhateverTheBallsClockSays) {
    tSampleClock clock;
    const double last = Feed(clock, 100.0, 100, [](int) { return false; });
    clock.ContinueAfter(4.0);
    tChunkResult chunk;
    chunk.samples.resize(2);
    chunk.samples[0].time = 1.0f;  // a ball that came back with a new clock
    chunk.samples[1].time = 1.01f;
    chunk.time = chunk.samples[1].time;
    const tClockEvents events = clock.PlaceChunk(chunk);
    EXPECT_NEAR(events.resumedAt, last + 4.0, 1e-3);
    EXPECT_NEAR(chunk.time, last + 4.0 + kPeriod, 1e-3);
    EXPECT_TRUE(events.restartsAt.empty());
    EXPECT_EQ(clock.LostLines(), 0);
}
