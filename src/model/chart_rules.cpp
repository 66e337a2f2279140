#include "model/chart_rules.h"

#include <cmath>

#include "app/format_settings.h"
#include "model/number_format.h"

namespace {
// The first index in [from, to) for which `pred` fails; `pred` must hold on a prefix.
template <typename Pred>
int PartitionPoint(int from, int to, Pred pred) {
    while (from < to) {
        const int mid = from + (to - from) / 2;
        if (pred(mid))
            from = mid + 1;
        else
            to = mid;
    }
    return from;
}
}  // namespace

int NearestSampleIndex(const tRecordView& record, double time) {
    const int count = record.Count();
    if (count < 2) return -1;
    const auto distance = [&](int i) {
        const double d = record.Time(i) - time;
        return d * d;
    };
    // Before `right` the distances fall (or stay), from it on they rise (or stay); so the
    // minimum is at right - 1 or right, and the first sample as near lies at the start of the
    // run of equal distances that ends at right - 1.
    const int right = PartitionPoint(0, count, [&](int i) { return record.Time(i) < time; });
    if (right == 0) return 0;
    const double leftBest = distance(right - 1);
    if (right < count && distance(right) < leftBest) return right;
    return PartitionPoint(0, right - 1, [&](int i) { return distance(i) > leftBest; });
}

tAxisChange ScrollTimeAxis(const tTimeRange& axis, double time, bool showAll,
                           const tTimeRange& window) {
    tAxisChange change;
    if (!(time > axis.upper)) return change;
    if (showAll) {
        change.kind = tAxisChange::Automatic;
        return change;
    }
    const double half = window.Width() / 2;
    change.kind = tAxisChange::Fixed;
    change.range = tTimeRange{axis.upper - half, axis.upper + half}.Normalized();
    return change;
}

tTimeRange TimeWindowAfterShowAll(const tRecordView& record, const tTimeRange& window) {
    const int count = record.Count();
    const double width = window.Width();
    if (count <= 0 || !(width > 0)) return window;
    const double k = std::trunc(record.Time(count - 1) / width);
    if (!(k > 0)) return window;
    return {k * width, (k + 0.5) * width};
}

bool MarkerDrawn(const tRecordView& record, int index, const tTimeRange& axis) {
    if (index < 0 || index >= record.Count()) return false;
    const double time = record.Time(index);
    return time >= axis.lower && time <= axis.upper;
}

std::optional<tTimeRowTexts> TimeRowTexts(const tRecordView& record, int zeroMarkerIndex,
                                          int cursorIndex) {
    return TimeRowTexts(record, zeroMarkerIndex, cursorIndex, FormatSettings().DecimalSeparator);
}

std::optional<tTimeRowTexts> TimeRowTexts(const tRecordView& record, int zeroMarkerIndex,
                                          int cursorIndex, QChar separator) {
    const int count = record.Count();
    if (cursorIndex < 0 || cursorIndex >= count || zeroMarkerIndex >= count) return std::nullopt;
    const double t0 = zeroMarkerIndex >= 0 ? record.Time(zeroMarkerIndex) : 0.0;
    const double t = record.Time(cursorIndex);
    return tTimeRowTexts{FormatFixed(t0, 3, separator), FormatFixed(t, 3, separator),
                         FormatFixed(t - t0, 3, separator)};
}
