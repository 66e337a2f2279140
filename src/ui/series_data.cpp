#include "ui/series_data.h"

#include <algorithm>

namespace {
// Enough for five minutes of samples before the first regrowth, which copies every point. The
// pages that no point reached yet cost address space only.
constexpr qsizetype kFirstCapacity = 32768;
// A twelfth more at a time: even just after a regrowth the points of nine channels stay below
// 160 bytes a sample (144 in use).
constexpr qsizetype kGrowthDivisor = 12;
}  // namespace

void tSeriesData::GrowIfFull() {
    const qsizetype used = mData.size();
    if (used < mData.capacity()) return;
    mData.reserve(std::max(kFirstCapacity, used + used / kGrowthDivisor));
}
int tSeriesData::InsertSlowly(double time, double value) {
    GrowIfFull();
    const QCPGraphData point(time, value);
    if (isEmpty() || time >= (constEnd() - 1)->key) {
        mData.append(point);
        return size() - 1;
    }
    // The preallocated front space of the base class is never used here (mPreallocSize is 0),
    // so positions in mData and point indices coincide.
    const auto position = std::upper_bound(
        begin(), end(), point,
        [](const QCPGraphData& a, const QCPGraphData& b) { return a.key < b.key; });
    const int index = int(position - begin());
    mData.insert(mPreallocSize + index, point);
    blocks_.resize(std::min(blocks_.size(), size_t(index / kBlock)));
    ++version_;
    return index;
}

void tSeriesData::Release() {
    mData = QVector<QCPGraphData>();
    mPreallocSize = 0;
    mPreallocIteration = 0;
    blocks_ = {};
    ++version_;
}

std::pair<double, double> tSeriesData::ValueRange(int from, int to) const {
    const auto point = constBegin();
    std::pair<double, double> range(point[from].value, point[from].value);
    auto take = [&range](double low, double high) {
        range.first = std::min(range.first, low);
        range.second = std::max(range.second, high);
    };
    auto scan = [&](int a, int b) {
        for (int i = a; i < b; ++i) take(point[i].value, point[i].value);
    };
    const int firstWhole = (from + kBlock - 1) / kBlock;
    const int endWhole = to / kBlock;
    if (endWhole - firstWhole < 2) {
        scan(from, to);
        return range;
    }
    while (blocks_.size() < size_t(endWhole)) {
        const int a = int(blocks_.size()) * kBlock;
        double low = point[a].value;
        double high = low;
        for (int i = a + 1; i < a + kBlock; ++i) {
            low = std::min(low, point[i].value);
            high = std::max(high, point[i].value);
        }
        blocks_.emplace_back(low, high);
    }
    scan(from, firstWhole * kBlock);
    for (int b = firstWhole; b < endWhole; ++b) take(blocks_[b].first, blocks_[b].second);
    scan(endWhole * kBlock, to);
    return range;
}

qsizetype tSeriesData::CapacityBytes() const {
    return mData.capacity() * qsizetype(sizeof(QCPGraphData));
}
