#include "record/journal_points.h"

std::vector<tHostClockPoint> JournalClockPoints(const tRecordInfo& info) {
    std::vector<tHostClockPoint> points;
    // A point follows the chunk whose last sample it times: the one before `samples`.
    for (const tJournalClockPoint& p : info.clock)
        points.push_back({p.device, p.monotonic, p.samples > 0 ? p.samples - 1 : 0});
    return points;
}
