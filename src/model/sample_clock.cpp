#include "model/sample_clock.h"

#include <algorithm>
#include <cmath>

#include "model/sample_decoder.h"

void tSampleClock::Reset() { *this = tSampleClock(); }

void tSampleClock::ContinueAfter(double seconds) {
    if (hasLast_) pendingBreak_ = std::max(seconds, 0.0);
}

long long tSampleClock::LostIn(double step) const {
    if (period_ <= 0 || step <= 1.5 * period_) return 0;
    return std::llround(step / period_) - 1;
}

void tSampleClock::Learn(double step) {
    steps_.push_back(step);
    if (static_cast<int>(steps_.size()) < kLearnSteps) return;
    // A median shrugs off the steps of lost lines; renewing it follows a ball whose rate was
    // changed while the record ran.
    const bool first = period_ <= 0;
    std::vector<double> sorted = steps_;
    std::nth_element(sorted.begin(), sorted.begin() + kLearnSteps / 2, sorted.end());
    period_ = sorted[kLearnSteps / 2];
    // The steps that taught the first period are counted now that it is known.
    if (first)
        for (double s : steps_) lost_ += LostIn(s);
    steps_.clear();
}

double tSampleClock::Place(double deviceTime) {
    lastWasRestart_ = false;
    if (!hasLast_) {
        hasLast_ = true;
        offset_ = 0;
    } else if (pendingBreak_ >= 0) {
        offset_ = lastRecord_ + std::max(pendingBreak_, PeriodOrDefault()) - deviceTime;
        pendingBreak_ = -1;
    } else {
        const double step = deviceTime - lastDevice_;
        if (step < 0) {
            lastWasRestart_ = true;
            ++restarts_;
            offset_ = lastRecord_ + PeriodOrDefault() - deviceTime;
        } else if (step > 0) {
            const bool learning = period_ <= 0;
            Learn(step);
            if (!learning) lost_ += LostIn(step);
        }
    }
    lastDevice_ = deviceTime;
    lastRecord_ = deviceTime + offset_;
    return lastRecord_;
}

tClockEvents tSampleClock::PlaceChunk(tChunkResult& chunk) {
    tClockEvents events;
    const long long lostBefore = lost_;
    for (tSample& sample : chunk.samples) {
        const bool resuming = pendingBreak_ >= 0;
        sample.deviceTime = sample.time;
        sample.time = static_cast<float>(Place(sample.time));
        if (lastWasRestart_) events.restartsAt.push_back(sample.time);
        if (resuming) events.resumedAt = sample.time;
    }
    // A last line stamped 0 or less keeps its own time: such a chunk leaves the displays alone.
    if (!chunk.samples.empty() && chunk.time > 0) chunk.time = chunk.samples.back().time;
    events.lost = lost_ - lostBefore;
    return events;
}
