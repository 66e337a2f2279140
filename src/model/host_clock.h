#pragma once

#include <deque>

#include "app/steady_clock.h"

// The relation of the host's clock to a record's time axis, learned from the chunks of the
// stream: each chunk arrived at a host time, and its last sample carries its record time. The
// serial path only ever delays a chunk, so the fit follows the lower edge of the points, not
// their middle: a line through the earliest arrivals of the older and the newer half of a
// sliding window, lowered until no point lies below it. A ball's clock that runs fast or slow
// shows as the line's slope.
//
// After a restart of the ball's clock or a gap the old points no longer fit: Restart forgets
// them, and until new ones come the last fit goes on.
class tHostClockFit {
public:
    // The span of host time that the fit is made over.
    static constexpr double kWindowSeconds = 20;

    void Add(double hostSeconds, double recordSeconds);
    void Restart();
    void Reset() { *this = tHostClockFit(); }

    bool HasFit() const { return !points_.empty() || fitted_; }
    // The record time that was current at a host time, and the host time of a record time.
    // Both are 0 before the first point.
    double RecordAt(double hostSeconds) const;
    double HostAt(double recordSeconds) const;
    // The ball's clock's rate against the host's, less one (1e-4: the ball runs 100 ppm slow).
    double Drift() const;

private:
    struct tPoint {
        double host;
        double record;
    };
    // host - record = offset_ + slope_ * (record - base_)
    void Fit() const;

    std::deque<tPoint> points_;
    mutable bool dirty_ = false;
    mutable bool fitted_ = false;
    mutable double base_ = 0;
    mutable double offset_ = 0;
    mutable double slope_ = 0;
};
