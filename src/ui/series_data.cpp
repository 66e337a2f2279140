#include "ui/series_data.h"

#include <algorithm>

namespace {
// Enough for a minute of samples before the first regrowth.
constexpr qsizetype kFirstCapacity = 8192;
}  // namespace

void tSeriesData::GrowIfFull() {
    const qsizetype used = mData.size();
    if (used < mData.capacity()) return;
    mData.reserve(std::max(kFirstCapacity, used + used / 4));
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
    return index;
}

void tSeriesData::Release() {
    mData = QVector<QCPGraphData>();
    mPreallocSize = 0;
    mPreallocIteration = 0;
}

qsizetype tSeriesData::CapacityBytes() const {
    return mData.capacity() * qsizetype(sizeof(QCPGraphData));
}
