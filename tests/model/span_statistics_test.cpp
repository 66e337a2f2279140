#include "model/span_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "model/statistics_file.h"
#include "model/vector_record.h"
#include "qt_printers.h"

namespace {
// The textbook way: the mean first, then the squared deviations from it, summed in long double
// so that the oracle's own rounding stays below what it checks.
struct TwoPass {
    double mean = 0, min = 0, max = 0, deviation = NAN, rms = 0, rate = NAN;
};

TwoPass Oracle(const tRecordView& r, int k, int from, int to) {
    TwoPass o;
    const int n = to - from + 1;
    long double sum = 0, squares = 0;
    o.min = o.max = r.Value(k, from);
    for (int i = from; i <= to; ++i) {
        sum += r.Value(k, i);
        squares += r.Value(k, i) * r.Value(k, i);
        o.min = std::min(o.min, r.Value(k, i));
        o.max = std::max(o.max, r.Value(k, i));
    }
    const long double mean = sum / n;
    o.mean = double(mean);
    long double m2 = 0;
    for (int i = from; i <= to; ++i) m2 += (r.Value(k, i) - mean) * (r.Value(k, i) - mean);
    if (n > 1) o.deviation = double(std::sqrt(m2 / (n - 1)));
    o.rms = double(std::sqrt(squares / n));
    const double dt = r.Time(to) - r.Time(from);
    if (dt != 0) o.rate = (r.Value(k, to) - r.Value(k, from)) / dt;
    return o;
}

void ExpectClose(double actual, double expected, double scale) {
    if (std::isnan(expected)) {
        EXPECT_TRUE(std::isnan(actual)) << actual;
        return;
    }
    EXPECT_NEAR(actual, expected, 1e-9 * (std::abs(expected) + scale));
}

void ExpectMatches(const tChannelStatistics& s, const TwoPass& o, int count) {
    EXPECT_EQ(s.count, count);
    const double scale = std::abs(o.max) + std::abs(o.min);
    ExpectClose(s.mean, o.mean, scale);
    EXPECT_EQ(s.min, o.min);
    EXPECT_EQ(s.max, o.max);
    EXPECT_EQ(s.peakToPeak, o.max - o.min);
    ExpectClose(s.deviation, o.deviation, scale);
    ExpectClose(s.rms, o.rms, scale);
    ExpectClose(s.rate, o.rate, scale);
}

tVectorRecord RandomRecord(std::mt19937& rng, int count) {
    std::uniform_real_distribution<double> value(-500, 500);
    std::uniform_int_distribution<int> step(0, 3);  // repeated times, as a ball may send
    tVectorRecord record;
    double time = 1;
    for (int i = 0; i < count; ++i) {
        double values[kChannelCount];
        for (int k = 0; k < kChannelCount; ++k) values[k] = value(rng) * (k + 1);
        record.Append(time, values);
        time += step(rng) * 0.01;
    }
    return record;
}
}  // namespace

TEST(SpanStatistics, MatchesTwoPassSumsOnRandomRecordsAndMarkersEitherWayRound) {
    std::mt19937 rng(14);
    tSpanStatistics kept;  // one set of summaries over records that grow, shrink and change
    for (int round = 0; round < 40; ++round) {
        const int count = round == 0 ? 1 : std::uniform_int_distribution<int>(1, 5000)(rng);
        const tVectorRecord record = RandomRecord(rng, count);
        if (round % 3 == 0) kept.Reset();
        std::uniform_int_distribution<int> marker(-1, count - 1);
        for (int query = 0; query < 5; ++query) {
            const int zero = marker(rng), cursor = marker(rng);
            const tSpan span = MarkerSpan(count, zero, cursor);
            const int from = std::min(zero < 0 ? 0 : zero, cursor < 0 ? count - 1 : cursor);
            const int to = std::max(zero < 0 ? 0 : zero, cursor < 0 ? count - 1 : cursor);
            ASSERT_EQ(span.first, from);
            ASSERT_EQ(span.last, to);
            for (int k = 0; k < kChannelCount; ++k) {
                SCOPED_TRACE(testing::Message() << round << " " << query << " " << k);
                const TwoPass o = Oracle(record, k, from, to);
                ExpectMatches(ChannelStatistics(record, k, span), o, to - from + 1);
                ExpectMatches(kept.Compute(record, k, span), o, to - from + 1);
            }
        }
    }
}

TEST(SpanStatistics, StaysExactWhereSumsOfSquaresCancel) {
    // A large offset with fine noise: Σx² − (Σx)²/n loses every digit of the variance.
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> noise(-1e-3, 1e-3);
    tVectorRecord record;
    const int count = 20000;
    double sum = 0, squares = 0;
    for (int i = 0; i < count; ++i) {
        double values[kChannelCount] = {};
        values[0] = 1e9 + noise(rng);
        sum += values[0];
        squares += values[0] * values[0];
        record.Append(i * 0.01, values);
    }
    const double naive = (squares - sum * sum / count) / (count - 1);
    const double exact = Oracle(record, 0, 0, count - 1).deviation;
    ASSERT_GT(std::abs(naive - exact * exact), exact * exact);  // the naive way really fails
    tSpanStatistics kept;
    for (const tChannelStatistics& s :
         {ChannelStatistics(record, 0, {0, count - 1}), kept.Compute(record, 0, {0, count - 1})}) {
        EXPECT_NEAR(s.deviation, exact, exact * 1e-6);
        EXPECT_NEAR(s.mean, 1e9, 1e-3);
        EXPECT_NEAR(s.rms, 1e9, 1e-3);
    }
}

TEST(SpanStatistics, AOneSampleSpanHasNoDeviationNorRateAndBadMarkersNoSpan) {
    tVectorRecord record;
    const double values[kChannelCount] = {-2.345};
    record.Append(1.0, values);
    record.Append(2.0, values);
    const tChannelStatistics s = ChannelStatistics(record, 0, MarkerSpan(2, 1, 1));
    EXPECT_EQ(StatisticsCells(s, 2, u','),
              QStringList({"1", "-2,35", "-2,35", "-2,35", "0,00", "", "2,35", ""}));
    EXPECT_TRUE(MarkerSpan(0, -1, -1).Empty());
    EXPECT_TRUE(MarkerSpan(2, 2, 0).Empty());
    EXPECT_TRUE(MarkerSpan(2, 0, 2).Empty());
    EXPECT_EQ(ChannelStatistics(record, 0, {1, 2}).count, 0);  // reads nothing past the end
}

TEST(StatisticsFile, SitsBesideTheDataAndListsTheVisibleChannelsInWindows1251) {
    EXPECT_EQ(StatisticsFileName(QStringLiteral("/data/run.2.csv")),
              QStringLiteral("/data/run.2-stats.csv"));
    tVectorRecord record;
    for (int i = 0; i < 3; ++i) {
        double values[kChannelCount] = {};
        for (int k = 0; k < kChannelCount; ++k) values[k] = k + i;
        record.Append(i * 0.5, values);
    }
    tExportSource source;
    source.record = &record;
    source.visible.reset();
    source.visible.set(1).set(6);
    source.separator = u',';
    source.ZeroMarkerIndex = 2;  // after the cursor
    source.CursorIndex = 1;
    const std::optional<QByteArray> file = BuildStatisticsFile(source);
    ASSERT_TRUE(file);
    const QList<QByteArray> lines = file->split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("\xca\xe0\xed\xe0\xeb\t"));  // "Канал" in Windows-1251
    EXPECT_EQ(lines[1], "ay\t2\t2,50\t2,00\t3,00\t1,00\t0,71\t2,55\t2,00\r");
    EXPECT_EQ(lines[2], "\xf4x\t2\t7,50\t7,00\t8,00\t1,00\t0,71\t7,52\t2,00\r");
    EXPECT_EQ(lines[3], "");
    source.CursorIndex = 3;
    EXPECT_FALSE(BuildStatisticsFile(source));
}
