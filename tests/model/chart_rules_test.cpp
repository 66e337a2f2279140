#include "model/chart_rules.h"

#include <gtest/gtest.h>

#include <random>

#include "model/vector_record.h"
#include "qt_printers.h"

namespace {

tVectorRecord RecordAt(std::initializer_list<double> times) {
    tVectorRecord record;
    const double values[kChannelCount] = {};
    for (const double t : times) record.Append(t, values);
    return record;
}

// The click rule as stated: a scan from sample 0 that takes a strictly smaller squared distance.
int NearestByScan(const tRecordView& record, double time) {
    int best = 0;
    for (int i = 1; i < record.Count(); ++i) {
        const double d = record.Time(i) - time, b = record.Time(best) - time;
        if (d * d < b * b) best = i;
    }
    return best;
}

}  // namespace

TEST(NearestSample, PicksTheLowestIndexOfEquallyNearSamples) {
    const tVectorRecord record = RecordAt({0.0, 1.0, 2.0, 2.0, 3.0});
    EXPECT_EQ(NearestSampleIndex(record, 0.5), 0);
    EXPECT_EQ(NearestSampleIndex(record, 1.5), 1);
    EXPECT_EQ(NearestSampleIndex(record, 2.1), 2);
    EXPECT_EQ(NearestSampleIndex(record, -10), 0);
    EXPECT_EQ(NearestSampleIndex(record, 99), 4);
    EXPECT_EQ(NearestSampleIndex(RecordAt({}), 1.0), -1);
    EXPECT_EQ(NearestSampleIndex(RecordAt({1.0}), 1.0), -1);  // one sample places no marker
}

TEST(NearestSample, AgreesWithTheLinearScanOnRandomRecords) {
    std::mt19937 rng(42);
    for (int round = 0; round < 400; ++round) {
        // Coarse steps give equal times and exact ties; fine ones ties by rounding.
        const double step = round % 3 == 0 ? 0.5 : round % 3 == 1 ? 0.01 : 1e-9;
        tVectorRecord record;
        const double values[kChannelCount] = {};
        double t = static_cast<double>(rng() % 100) * step - 20 * step;
        for (int i = 2 + static_cast<int>(rng() % 200); i > 0; --i) {
            record.Append(static_cast<float>(t), values);
            t += static_cast<double>(rng() % 3) * step;
        }
        const int last = record.Count() - 1;
        std::uniform_real_distribution<double> click(record.Time(0) - 5 * step,
                                                     record.Time(last) + 5 * step);
        for (int c = 0; c < 50; ++c) {
            const double at =
                c % 5 ? click(rng) : record.Time(static_cast<int>(rng() % last)) + step / 2;
            ASSERT_EQ(NearestSampleIndex(record, at), NearestByScan(record, at))
                << round << " " << at;
        }
    }
}

TEST(TimeAxis, ScrollsByHalfAWindowPastItsRightEdgeOrScalesItselfWithShowAll) {
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
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 30})), (tTimeRange{30, 45}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 45})), (tTimeRange{30, 45}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({1, 95})), (tTimeRange{90, 105}));
    EXPECT_EQ(TimeWindowAfterShowAll(RecordAt({-100, -40})), (tTimeRange{0, 30}));
    EXPECT_EQ((tTimeRange{45, 30}).Normalized(), (tTimeRange{30, 45}));
}

TEST(Markers, AreDrawnForRecordedSamplesWithinTheAxisBoundsIncluded) {
    const tVectorRecord record = RecordAt({10, 20, 30, 40});
    EXPECT_TRUE(MarkerDrawn(record, 1, {20, 30}));
    EXPECT_TRUE(MarkerDrawn(record, 2, {20, 30}));
    EXPECT_FALSE(MarkerDrawn(record, 0, {20, 30}));
    EXPECT_FALSE(MarkerDrawn(record, 3, {20, 30}));
    EXPECT_FALSE(MarkerDrawn(record, -1, {0, 100}));
    EXPECT_FALSE(MarkerDrawn(record, 4, {0, 100}));
}

TEST(TimeRows, ShowTheCursorTimeAgainstTheOriginOrZero) {
    const tVectorRecord record = RecordAt({0.5, 1.25, 2.0625, 3.0});
    const auto plain = TimeRowTexts(record, -1, 2, u',');
    ASSERT_TRUE(plain);
    EXPECT_EQ(QStringList({plain->t0, plain->t, plain->dt}),
              QStringList({"0,000", "2,063", "2,063"}));
    const auto relative = TimeRowTexts(record, 3, 1, u'.');
    ASSERT_TRUE(relative);
    EXPECT_EQ(QStringList({relative->t0, relative->t, relative->dt}),
              QStringList({"3.000", "1.250", "-1.750"}));
    EXPECT_FALSE(TimeRowTexts(record, 1, -1, u'.'));  // without a cursor the rows stay
    EXPECT_FALSE(TimeRowTexts(record, -1, 4, u'.'));
    EXPECT_FALSE(TimeRowTexts(record, 7, 1, u'.'));
}
