#include "model/host_clock.h"

#include <algorithm>

namespace {
// A slope needs the two halves of the window this far apart; a shorter span keeps rate 1.
constexpr double kSlopeSpanSeconds = 4;
// No real ball is off by this much; a slope beyond it comes of a bad point.
constexpr double kMaxSlope = 0.01;
}  // namespace

void tHostClockFit::Add(double hostSeconds, double recordSeconds) {
    points_.push_back({hostSeconds, recordSeconds});
    while (points_.size() > 1 && points_.back().host - points_.front().host > kWindowSeconds)
        points_.pop_front();
    dirty_ = true;
}

void tHostClockFit::Restart() {
    Fit();
    points_.clear();
}

void tHostClockFit::Fit() const {
    if (!dirty_ || points_.empty()) return;
    dirty_ = false;
    const double firstHost = points_.front().host;
    const double lastHost = points_.back().host;
    const double middle = (firstHost + lastHost) / 2;
    // The earliest arrival of each half: the point with the least delay there.
    const tPoint* early[2] = {nullptr, nullptr};
    for (const tPoint& p : points_) {
        const int half = p.host < middle ? 0 : 1;
        if (!early[half] || p.host - p.record < early[half]->host - early[half]->record)
            early[half] = &p;
    }
    slope_ = 0;
    if (early[0] && early[1] && lastHost - firstHost >= kSlopeSpanSeconds &&
        early[1]->record - early[0]->record > 0) {
        const double d0 = early[0]->host - early[0]->record;
        const double d1 = early[1]->host - early[1]->record;
        slope_ = std::clamp((d1 - d0) / (early[1]->record - early[0]->record), -kMaxSlope, kMaxSlope);
    }
    base_ = points_.back().record;
    // The line lowered onto the lowest point.
    offset_ = points_.back().host - points_.back().record;
    for (const tPoint& p : points_)
        offset_ = std::min(offset_, p.host - p.record - slope_ * (p.record - base_));
    fitted_ = true;
}

double tHostClockFit::RecordAt(double hostSeconds) const {
    Fit();
    if (!fitted_) return 0;
    // host = record + offset + slope (record - base), solved for the record time.
    return (hostSeconds - offset_ + slope_ * base_) / (1 + slope_);
}

double tHostClockFit::HostAt(double recordSeconds) const {
    Fit();
    if (!fitted_) return 0;
    return recordSeconds + offset_ + slope_ * (recordSeconds - base_);
}

double tHostClockFit::Drift() const {
    Fit();
    return slope_;
}
