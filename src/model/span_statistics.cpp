#include "model/span_statistics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/builtin_texts.h"
#include "model/number_format.h"

namespace {
constexpr int kBlock = 1024;

// Count, mean and the sum of squared deviations from the mean of the values seen so far.
struct tMoments {
    double n = 0;
    double mean = 0;
    double m2 = 0;

    void Merge(double count, double blockMean, double blockM2) {
        if (count == 0) return;
        const double total = n + count;
        const double delta = blockMean - mean;
        mean += delta * (count / total);
        m2 += blockM2 + delta * delta * (n * count / total);
        n = total;
    }
};
}  // namespace

tSpan MarkerSpan(int count, int zeroMarker, int cursor) {
    if (count <= 0 || zeroMarker >= count || cursor >= count) return {};
    const int lo = zeroMarker >= 0 ? zeroMarker : 0;
    const int hi = cursor >= 0 ? cursor : count - 1;
    return {std::min(lo, hi), std::max(lo, hi)};
}

namespace {
// The values of one run of samples, read through a block-sized buffer. Its moments are those of
// the values less `shift`, a value of the record: about it, a large offset (1e9 + 1e-3 noise)
// leaves the sums, and the means between blocks, as fine as the noise.
struct tRun {
    double shift = 0;
    tMoments moments;
    double min = std::numeric_limits<double>::infinity();
    double max = -std::numeric_limits<double>::infinity();

    void Read(const tRecordView& record, int channel, int first, int last) {
        double buffer[kBlock];
        for (; first <= last; first += kBlock) {
            const int n = std::min(kBlock, last - first + 1);
            record.ReadValues(channel, first, n, buffer);
            double sum = 0;
            for (int i = 0; i < n; ++i) {
                min = std::min(min, buffer[i]);
                max = std::max(max, buffer[i]);
                buffer[i] -= shift;
                sum += buffer[i];
            }
            const double mean = sum / n;
            double m2 = 0;
            for (int i = 0; i < n; ++i) m2 += (buffer[i] - mean) * (buffer[i] - mean);
            moments.Merge(n, mean, m2);
        }
    }

    // A run about the same shift.
    void Add(const tRun& other) {
        moments.Merge(other.moments.n, other.moments.mean, other.moments.m2);
        min = std::min(min, other.min);
        max = std::max(max, other.max);
    }
};

tChannelStatistics Finish(const tRecordView& record, int channel, tSpan span, const tRun& run) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    tChannelStatistics s;
    s.channel = channel;
    s.count = span.Count();
    s.mean = run.shift + run.moments.mean;
    s.min = run.min;
    s.max = run.max;
    s.peakToPeak = run.max - run.min;
    s.deviation = s.count > 1 ? std::sqrt(run.moments.m2 / (s.count - 1)) : nan;
    // Mean square = mean² + variance: two terms that cannot cancel.
    s.rms = std::sqrt(s.mean * s.mean + run.moments.m2 / s.count);
    const double dt = record.Time(span.last) - record.Time(span.first);
    s.rate =
        dt != 0 ? (record.Value(channel, span.last) - record.Value(channel, span.first)) / dt : nan;
    return s;
}

bool Addresses(const tRecordView& record, tSpan span) {
    return !span.Empty() && span.first >= 0 && span.last < record.Count();
}
}  // namespace

tChannelStatistics ChannelStatistics(const tRecordView& record, int channel, tSpan span) {
    if (!Addresses(record, span)) return tChannelStatistics{channel};
    tRun run;
    run.shift = record.Value(channel, span.first);
    run.Read(record, channel, span.first, span.last);
    return Finish(record, channel, span, run);
}

void tSpanStatistics::Reset() {
    for (tChannelBlocks& c : channels_) c = tChannelBlocks{};
}

void tSpanStatistics::Summarise(const tRecordView& record, int channel, int blocks) {
    tChannelBlocks& c = channels_[channel];
    const int have = int(c.blocks.size());
    const bool matches = have > 0 && have <= record.Count() / kBlock &&
                         record.Value(channel, 0) == c.shift && record.Time(0) == c.firstTime &&
                         record.Time(have * kBlock - 1) == c.lastTime;
    if (!matches) {
        c = tChannelBlocks{};
        c.shift = record.Value(channel, 0);
        c.firstTime = record.Time(0);
    }
    for (int b = int(c.blocks.size()); b < blocks; ++b) {
        tRun run;
        run.shift = c.shift;
        run.Read(record, channel, b * kBlock, b * kBlock + kBlock - 1);
        c.blocks.push_back({run.moments.mean, run.moments.m2, run.min, run.max});
    }
    if (!c.blocks.empty()) c.lastTime = record.Time(int(c.blocks.size()) * kBlock - 1);
}

tChannelStatistics tSpanStatistics::Compute(const tRecordView& record, int channel, tSpan span) {
    if (!Addresses(record, span)) return tChannelStatistics{channel};
    // The blocks that lie wholly inside the span.
    const int firstBlock = (span.first + kBlock - 1) / kBlock;
    const int endBlock = (span.last + 1) / kBlock;
    if (endBlock <= firstBlock) return ChannelStatistics(record, channel, span);
    Summarise(record, channel, endBlock);
    tRun run;
    run.shift = channels_[channel].shift;
    run.Read(record, channel, span.first, firstBlock * kBlock - 1);
    for (int b = firstBlock; b < endBlock; ++b) {
        const tBlock& block = channels_[channel].blocks[size_t(b)];
        run.moments.Merge(kBlock, block.mean, block.m2);
        run.min = std::min(run.min, block.min);
        run.max = std::max(run.max, block.max);
    }
    tRun tail;
    tail.shift = run.shift;
    tail.Read(record, channel, endBlock * kBlock, span.last);
    run.Add(tail);
    return Finish(record, channel, span, run);
}

QStringList StatisticsCells(const tChannelStatistics& s, int decimals, QChar separator) {
    const auto cell = [&](double value) {
        return std::isnan(value) ? QString() : FormatFixed(value, decimals, separator);
    };
    return {QString::number(s.count), cell(s.mean),      cell(s.min), cell(s.max),
            cell(s.peakToPeak),       cell(s.deviation), cell(s.rms), cell(s.rate)};
}

QStringList StatisticsTitles() {
    QStringList titles;
    for (const char* name :
         {"LC_STAT_CHANNEL", "LC_STAT_COUNT", "LC_STAT_MEAN", "LC_STAT_MIN", "LC_STAT_MAX",
          "LC_STAT_SPAN", "LC_STAT_DEVIATION", "LC_STAT_RMS", "LC_STAT_RATE"})
        titles << LangConst(QLatin1String(name));
    return titles;
}
