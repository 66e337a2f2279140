#pragma once

#include <cstddef>
#include <vector>

// One point of a journal's clock: a sample's time on the record (seconds, as the record reader
// gives it) and the host's monotonic time of that sample, already fitted by the measurement.
struct tHostClockPoint {
    double record = 0;
    double host = 0;
};

// Maps a record's sample times to host time through its clock points: linear between two
// points, and beyond the first or the last along the nearest two (or at the host's rate with a
// single point). Sample times are asked in rising order, so one pass over a long record costs
// one step per point.
class tHostTimeMap {
public:
    explicit tHostTimeMap(std::vector<tHostClockPoint> points);
    bool Valid() const { return !points_.empty(); }
    // Host seconds of a sample at record time `t`; a time below the last one asked starts the
    // walk over.
    double At(double t);

private:
    std::vector<tHostClockPoint> points_;
    std::size_t at_ = 0;
    double last_ = 0;
};
