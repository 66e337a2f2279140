#include "record/host_time_map.h"

#include <algorithm>

tHostTimeMap::tHostTimeMap(std::vector<tHostClockPoint> points) : points_(std::move(points)) {
    // The record's times only rise; a point out of order (a damaged line) is dropped.
    std::vector<tHostClockPoint> kept;
    for (const tHostClockPoint& p : points_)
        if (kept.empty() || p.record > kept.back().record) kept.push_back(p);
    points_ = std::move(kept);
}

double tHostTimeMap::At(double t) {
    if (points_.empty()) return t;
    if (points_.size() == 1) return points_[0].host + (t - points_[0].record);
    if (t < last_) at_ = 0;
    last_ = t;
    while (at_ + 2 < points_.size() && points_[at_ + 1].record <= t) ++at_;
    const tHostClockPoint& a = points_[at_];
    const tHostClockPoint& b = points_[at_ + 1];
    const double slope = (b.host - a.host) / (b.record - a.record);
    return a.host + (t - a.record) * slope;
}
