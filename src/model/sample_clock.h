#pragma once

#include <vector>

struct tChunkResult;

// What placing the samples of one chunk showed.
struct tClockEvents {
    // The record times of the first sample after each restart of the ball, in order.
    std::vector<double> restartsAt;
    // The record time of the first sample after a break (ContinueAfter); -1 without one.
    double resumedAt = -1;
    // Lines that the steps of this chunk show were lost on the way.
    long long lost = 0;
};

// The record's time base over the ball's own clock. The ball stamps each line with its time and
// sends at a fixed rate, so the steps between the stamps tell its sample period and show the
// lines that never arrived. The record's times only ever rise: when the ball's clock runs
// backwards (a reset, or a clock that wrapped) the new times are shifted so that the record
// goes on one period after its last sample, and the chart containers can always append.
class tSampleClock {
public:
    // The steps the first period estimate is the median of; it is renewed over as many steps.
    static constexpr int kLearnSteps = 50;
    // The period assumed until one is known.
    static constexpr double kDefaultPeriod = 0.010;

    // A new record: no sample, no period, no counts.
    void Reset();
    // The next sample goes on the record `seconds` after the last one (at least one period),
    // whatever the ball's clock says: a new stream after the ball came back.
    void ContinueAfter(double seconds);

    // The record time of a sample stamped `deviceTime` (seconds).
    double Place(double deviceTime);
    // Places every sample of a chunk in order and moves the chunk's time with them, unless the
    // last one was stamped 0 or less.
    tClockEvents PlaceChunk(tChunkResult& chunk);

    // The learned period, or 0 before kLearnSteps steps were seen.
    double Period() const { return period_; }
    double PeriodOrDefault() const { return period_ > 0 ? period_ : kDefaultPeriod; }
    long long LostLines() const { return lost_; }
    int Restarts() const { return restarts_; }
    // True when the last Place was the first sample after a restart.
    bool LastWasRestart() const { return lastWasRestart_; }
    bool HasSamples() const { return hasLast_; }
    double LastTime() const { return lastRecord_; }

private:
    void Learn(double step);
    long long LostIn(double step) const;

    bool hasLast_ = false;
    double lastDevice_ = 0;
    double lastRecord_ = 0;
    double offset_ = 0;
    double period_ = 0;
    double pendingBreak_ = -1;
    bool lastWasRestart_ = false;
    long long lost_ = 0;
    int restarts_ = 0;
    std::vector<double> steps_;
};
