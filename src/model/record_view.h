#pragma once

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
};
