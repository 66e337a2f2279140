#pragma once

#include <QChar>
#include <QString>
#include <optional>

#include "model/record_view.h"

// The rules of the charts' time axes, cursor and markers that need no widgets.

struct tTimeRange {
    double lower = 0;
    double upper = 0;
    double Width() const { return upper - lower; }
    // A fixed axis range swaps its bounds when the minimum exceeds the maximum.
    tTimeRange Normalized() const { return lower <= upper ? *this : tTimeRange{upper, lower}; }
    bool operator==(const tTimeRange& o) const { return lower == o.lower && upper == o.upper; }
};

// The live time axis at Start, and its width W.
constexpr tTimeRange kTimeWindow{0.0, 30.0};

// The sample whose time is nearest to `time`: the lowest index among equally near ones (by the
// squared difference, as a scan from sample 0 that takes only strictly smaller ones finds it).
// -1 when the record holds fewer than two samples, where a click places no marker. The times
// must ascend, as the chart series keep them.
int NearestSampleIndex(const tRecordView& record, double time);

// What the live scrolling does to one chart's time axis when a chunk ends at `time`.
struct tAxisChange {
    enum Kind { Keep, Automatic, Fixed } kind = Keep;
    tTimeRange range;  // for Fixed
};

// Only a time beyond the axis' maximum moves it: with show-all the axis scales itself,
// otherwise it is centred on its old maximum, the window width wide (0..30 s becomes
// 15..45 s, however far beyond 30 s the time is).
tAxisChange ScrollTimeAxis(const tTimeRange& axis, double time, bool showAll,
                           const tTimeRange& window = kTimeWindow);

// The fixed time window when show-all is switched off: the default window, or, when the last
// sample lies at k·W or later for some k > 0, half a window from the largest such k·W
// (last sample at 45 s: 30..45 s).
tTimeRange TimeWindowAfterShowAll(const tRecordView& record,
                                  const tTimeRange& window = kTimeWindow);

// A marker line is drawn when it names a sample of the record whose time lies within the axis
// range, bounds included.
bool MarkerDrawn(const tRecordView& record, int index, const tTimeRange& axis);

// The texts of the rows "t0, c", "t, c" and "dt, c" (three decimals): t0 is the zero marker's
// time or 0 without one, t the cursor's, dt their difference. None without a cursor, or when a
// marker names no sample of the record.
struct tTimeRowTexts {
    QString t0;
    QString t;
    QString dt;
};
std::optional<tTimeRowTexts> TimeRowTexts(const tRecordView& record, int zeroMarkerIndex,
                                          int cursorIndex);
std::optional<tTimeRowTexts> TimeRowTexts(const tRecordView& record, int zeroMarkerIndex,
                                          int cursorIndex, QChar separator);
