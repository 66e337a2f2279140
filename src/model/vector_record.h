#pragma once

#include <algorithm>
#include <vector>

#include "model/channels.h"
#include "model/record_view.h"
#include "model/sample_decoder.h"

// A record in plain vectors, ordered like the chart series: a sample whose time is below the
// last one's goes after the last sample whose time is not above its own.
class tVectorRecord : public tRecordView, public tRecordSink {
public:
    int Count() const override { return static_cast<int>(times_.size()); }
    double Time(int index) const override { return times_[static_cast<size_t>(index)]; }
    double Value(int channel, int index) const override {
        return values_[channel][static_cast<size_t>(index)];
    }
    void ReadValues(int channel, int first, int count, double* out) const override {
        const auto begin = values_[channel].begin() + first;
        std::copy(begin, begin + count, out);
    }

    void Append(const tSample& sample);
    void Append(double time, const double (&values)[kChannelCount]) override;
    void Clear();
    void Reserve(int count);
    void Expect(int samples) override { Reserve(samples); }

private:
    std::vector<double> times_;
    std::vector<double> values_[kChannelCount];
};
