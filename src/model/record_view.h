#pragma once

#include "model/channels.h"

// Read-only access to the recorded samples: the window adapts its chart series to it, tests and
// benchmarks use tVectorRecord. Sample indices count from 0 in ascending time; every channel
// holds a value at every index below Count().
class tRecordView {
public:
    virtual ~tRecordView() = default;
    virtual int Count() const = 0;
    // The sample's time in seconds.
    virtual double Time(int index) const = 0;
    // The channel's value at the sample, as plotted.
    virtual double Value(int channel, int index) const = 0;
    // The channel's values at `count` samples from `first` on, into `out`: a long pass reads a
    // block per call instead of a call per value.
    virtual void ReadValues(int channel, int first, int count, double* out) const {
        for (int i = 0; i < count; ++i) out[i] = Value(channel, first + i);
    }
};

// Receives a record sample by sample, in the order it was recorded.
class tRecordSink {
public:
    virtual ~tRecordSink() = default;
    virtual void Append(double time, const double (&values)[kChannelCount]) = 0;
    // About how many samples the whole record will hold, once a reader can tell.
    virtual void Expect(int samples) { (void)samples; }
};
