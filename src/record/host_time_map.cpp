#include "record/host_time_map.h"

#include <utility>

tHostTimeMap::tHostTimeMap(std::vector<tHostClockPoint> points) : points_(std::move(points)) {}

double tHostTimeMap::Slope(std::size_t j) const {
    const auto rises = [this](std::size_t a, std::size_t b) {
        return points_[b].device > points_[a].device && points_[b].index > points_[a].index;
    };
    if (j + 1 < points_.size() && rises(j, j + 1))
        return (points_[j + 1].host - points_[j].host) / (points_[j + 1].device - points_[j].device);
    if (j > 0 && rises(j - 1, j))
        return (points_[j].host - points_[j - 1].host) / (points_[j].device - points_[j - 1].device);
    return 1.0;
}

double tHostTimeMap::At(long long index, double t) {
    if (points_.empty()) return t;
    if (index < last_) at_ = 0;
    last_ = index;
    while (at_ + 1 < points_.size() && points_[at_ + 1].index <= index) ++at_;
    std::size_t j = at_;
    // A sample after a restart of the ball's clock, before the new run's first point: that
    // point tells its host time better than the old run.
    if (j + 1 < points_.size() && points_[j + 1].device < points_[j].device && t < points_[j].device)
        ++j;
    return points_[j].host + (t - points_[j].device) * Slope(j);
}
