#pragma once

#include <QChar>
#include <QStringList>
#include <vector>

#include "model/channels.h"
#include "model/record_view.h"

// The samples between the time origin and the cursor, both included, in ascending index order
// whichever comes first. An unset marker (-1) stands for the first or the last sample, as in the
// export.
struct tSpan {
    int first = 0;
    int last = -1;
    bool Empty() const { return last < first; }
    int Count() const { return Empty() ? 0 : last - first + 1; }
};

// Empty for an empty record or for a marker that names no sample of it.
tSpan MarkerSpan(int count, int zeroMarker, int cursor);

// One channel over a span. The standard deviation is the sample's (n - 1), so it has no value
// for a single sample; the rate of change is (last value - first value) / (last time - first
// time) and has none when the span takes no time. "No value" is NaN.
struct tChannelStatistics {
    int channel = -1;
    int count = 0;
    double mean = 0;
    double min = 0;
    double max = 0;
    double peakToPeak = 0;
    double deviation = 0;
    double rms = 0;
    double rate = 0;
};

// Reads the record in blocks: each block's mean and squared deviations are summed in two passes
// over a small buffer, about the span's first value, and the blocks are merged by their means
// (Chan's pairwise update), so that an offset far above the noise (1e9 + 1e-3) costs no
// precision, as it would with plain sums of squares.
tChannelStatistics ChannelStatistics(const tRecordView& record, int channel, tSpan span);

// The same statistics from summaries of fixed blocks of the record, kept between queries: a
// span reads only the samples of its first and last block and merges the summaries between, so
// moving a marker over an hour of record costs microseconds. The summaries are made on demand,
// for the complete blocks a query reaches; a record that was cleared (Reset) or that no longer
// matches them (shorter, or other times at their ends) has them made anew.
class tSpanStatistics {
public:
    void Reset();
    tChannelStatistics Compute(const tRecordView& record, int channel, tSpan span);

private:
    struct tBlock {
        double mean, m2, min, max;
    };
    // The blocks' moments are about the channel's value at sample 0 (see ChannelStatistics).
    struct tChannelBlocks {
        std::vector<tBlock> blocks;
        double shift = 0;
        double firstTime = 0;  // of sample 0 and of the last summarised sample
        double lastTime = 0;
    };
    void Summarise(const tRecordView& record, int channel, int blocks);

    tChannelBlocks channels_[kChannelCount];
};

// The cells of one channel's row after its name: the count, then mean, minimum, maximum,
// peak-to-peak, standard deviation, RMS and rate with `decimals`; a missing value is "".
QStringList StatisticsCells(const tChannelStatistics& s, int decimals, QChar separator);

// The column titles, in the interface language: the channel, then one per cell above.
QStringList StatisticsTitles();
