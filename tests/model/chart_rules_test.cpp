#include <gtest/gtest.h>

#include <random>

#include "model/chart_rules.h"
#include "model/vector_record.h"
#include "qt_printers.h"

namespace {

tVectorRecord RecordAt(std::initializer_list<double> times) {
    tVectorRecord record;
    const double values[kChannelCount] = {};
    for (const double t : times) record.Append(t, values);
    return record;
}

// The rule as the click handler states it: a scan from sample 0 that takes a sample only when
// its squared distance is strictly smaller.
int NearestByScan(const tRecordView& record, double time) {
    if (record.Count() < 2) return -1;
    int best = 0;
    double bestDistance = (record.Time(0) - time) * (record.Time(0) - time);
    for (int i = 1; i < record.Count(); ++i) {
        const double d = (record.Time(i) - time) * (record.Time(i) - time);
        if (d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

}  // namespace

TEST(NearestSample, PicksTheLowerIndexOfTwoEquallyNearSamples) {
    const tVectorRecord record = RecordAt({0.0, 1.0, 2.0, 2.0, 3.0});
    EXPECT_EQ(NearestSampleIndex(record, 0.5), 0);
    EXPECT_EQ(NearestSampleIndex(record, 1.5), 1);
    EXPECT_EQ(NearestSampleIndex(record, 2.1), 2);  // the first of two samples at the same time
    EXPECT_EQ(NearestSampleIndex(record, 2.5), 2);
    EXPECT_EQ(NearestSampleIndex(record, -10), 0);
    EXPECT_EQ(NearestSampleIndex(record, 99), 4);
}

TEST(NearestSample, PlacesNothingOnARecordOfFewerThanTwoSamples) {
    EXPECT_EQ(NearestSampleIndex(RecordAt({}), 1.0), -1);
    EXPECT_EQ(NearestSampleIndex(RecordAt({1.0}), 1.0), -1);
    EXPECT_EQ(NearestSampleIndex(RecordAt({1.0, 1.0}), 5.0), 0);
}

TEST(NearestSample, AgreesWithTheLinearScanOnRandomRecords) {
    std::mt19937 rng(42);
    for (int round = 0; round < 400; ++round) {
        // Coarse steps give many equal times and exact ties; fine ones give rounding ties.
        const int count = 2 + static_cast<int>(rng() % 200);
        const double step = round % 3 == 0 ? 0.5 : round % 3 == 1 ? 0.01 : 1e-9;
        tVectorRecord record;
        const double values[kChannelCount] = {};
        double t = static_cast<double>(rng() % 100) * step - 20 * step;
        for (int i = 0; i < count; ++i) {
            record.Append(static_cast<float>(t), values);
            t += static_cast<double>(rng() % 3) * step;
        }
        std::uniform_real_distribution<double> click(record.Time(0) - 5 * step,
                                                     record.Time(count - 1) + 5 * step);
        for (int c = 0; c < 50; ++c) {
            const double at = c % 5 ? click(rng) : record.Time(static_cast<int>(rng() % count)) + step / 2;
            ASSERT_EQ(NearestSampleIndex(record, at), NearestByScan(record, at))
                << "round " << round << " time " << at;
        }
    }
}

TEST(TimeAxis, ScrollsByHalfAWindowOnlyPastItsRightEdge) {
    EXPECT_EQ(ScrollTimeAxis({0, 30}, 30.0, false).kind, tAxisChange::Keep);
    EXPECT_EQ(ScrollTimeAxis({0, 30}, 12.0, true).kind, tAxisChange::Keep);

    const tAxisChange jump = ScrollTimeAxis({0, 30}, 100.0, false);
    EXPECT_EQ(jump.kind, tAxisChange::Fixed);
    EXPECT_EQ(jump.range, (tTimeRange{15, 45}));
    EXPECT_EQ(ScrollTimeAxis(jump.range, 100.0, false).range, (tTimeRange{30, 60}));

    EXPECT_EQ(ScrollTimeAxis({0, 30}, 30.5, true).kind, tAxisChange::Automatic);
}

TEST(TimeAxis, ShowsHalfAWindowFromTheLastFullWindowWhenShowAllEnds) {
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({})), (tTimeRange{0, 30}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 20})), (tTimeRange{0, 30}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 29.99})), (tTimeRange{0, 30}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 30})), (tTimeRange{30, 45}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 45})), (tTimeRange{30, 45}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 95})), (tTimeRange{90, 105}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({-100, -40})), (tTimeRange{0, 30}));
    EXPECT_EQ((tTimeRange{45, 30}).Normalized(), (tTimeRange{30, 45}));
}

TEST(Markers, AreDrawnOnlyForRecordedSamplesWithinTheAxisBoundsIncluded) {
    const tVectorRecord record = RecordAt({10, 20, 30, 40});
    const tTimeRange axis{20, 30};
    EXPECT_TRUE(MarkerDrawn(record, 1, axis));  // on the minimum
    EXPECT_TRUE(MarkerDrawn(record, 2, axis));  // on the maximum
    EXPECT_FALSE(MarkerDrawn(record, 0, axis));
    EXPECT_FALSE(MarkerDrawn(record, 3, axis));
    EXPECT_FALSE(MarkerDrawn(record, -1, {0, 100}));
    EXPECT_FALSE(MarkerDrawn(record, 4, {0, 100}));
}

TEST(TimeRows, ShowTheCursorTimeAgainstTheOriginOrZero) {
    const tVectorRecord record = RecordAt({0.5, 1.25, 2.0625, 3.0});
    const auto plain = TimeRowTexts(record, -1, 2, u',');
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->t0, "0,000");
    EXPECT_EQ(plain->t, "2,063");
    EXPECT_EQ(plain->dt, "2,063");

    const auto relative = TimeRowTexts(record, 3, 1, u'.');
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->t0, "3.000");
    EXPECT_EQ(relative->t, "1.250");
    EXPECT_EQ(relative->dt, "-1.750");

    EXPECT_FALSE(TimeRowTexts(record, 1, -1, u'.'));  // no cursor: the rows stay as they are
    EXPECT_FALSE(TimeRowTexts(record, -1, 4, u'.'));
    EXPECT_FALSE(TimeRowTexts(record, 7, 1, u'.'));
}
