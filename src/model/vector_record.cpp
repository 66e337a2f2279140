#include "model/vector_record.h"

#include <algorithm>

void tVectorRecord::Append(const tSample& sample) {
    Append(sample.time, sample.value);
}

void tVectorRecord::Append(double time, const double (&values)[kChannelCount]) {
    if (times_.empty() || time >= times_.back()) {
        times_.push_back(time);
        for (int k = 0; k < kChannelCount; ++k) values_[k].push_back(values[k]);
        return;
    }
    const auto at = std::upper_bound(times_.begin(), times_.end(), time);
    const auto offset = at - times_.begin();
    times_.insert(at, time);
    for (int k = 0; k < kChannelCount; ++k)
        values_[k].insert(values_[k].begin() + offset, values[k]);
}

void tVectorRecord::Clear() {
    times_.clear();
    for (auto& v : values_) v.clear();
}

void tVectorRecord::Reserve(int count) {
    times_.reserve(static_cast<size_t>(count));
    for (auto& v : values_) v.reserve(static_cast<size_t>(count));
}
