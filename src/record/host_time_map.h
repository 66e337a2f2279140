#pragma once

#include <cstddef>
#include <vector>

// One point of a journal's clock: the ball's time of a sample (seconds, as the record reader
// gives it), the host's monotonic time of that sample, already fitted by the measurement, and
// the sample's index in the record.
struct tHostClockPoint {
    double device = 0;
    double host = 0;
    long long index = 0;
};

// Maps a record's samples to host time through its clock points: linear between two points of
// one run of the ball's clock, and beyond them along the nearest two (at the host's rate with a
// single point). A restart of the ball's clock starts a new run. Samples are asked in record
// order, so one pass over a long record costs one step per point.
class tHostTimeMap {
public:
    explicit tHostTimeMap(std::vector<tHostClockPoint> points);
    bool Valid() const { return !points_.empty(); }
    // Host seconds of sample `index`, stamped `t` by the ball; an index below the last one
    // asked starts the walk over.
    double At(long long index, double t);

private:
    // The slope of host time over device time at point j, from its run's neighbours.
    double Slope(std::size_t j) const;

    std::vector<tHostClockPoint> points_;
    std::size_t at_ = 0;
    long long last_ = -1;
};
