#pragma once

#include <qcustomplot.h>

#include <utility>
#include <vector>

// The points of one channel, shared by the master series and the page series that show the
// same channel. Two things differ from the stock container: a point that arrives out of time
// order goes after the last point whose time is not above its own (ties keep arrival order),
// and the storage grows by a twelfth at a time instead of doubling, which keeps a long record
// within its memory budget.
class tSeriesData : public QCPGraphDataContainer {
public:
    tSeriesData() = default;

    // Appends (time, value), or inserts it in time order when it is older than the last point.
    // Returns the index the point got. The common case, an append with room left, stays inline:
    // it runs nine times for every sample.
    int Insert(double time, double value) {
        if (mData.size() < mData.capacity() && (mData.isEmpty() || time >= mData.constLast().key)) {
            mData.append(QCPGraphData(time, value));
            return int(mData.size()) - 1 - mPreallocSize;
        }
        return InsertSlowly(time, value);
    }

    // Room for `count` points in all, so that filling up to it never regrows.
    void Reserve(qsizetype count) {
        if (count > mData.capacity()) mData.reserve(count);
    }
    // Drops every point and returns the storage.
    void Release();
    // Exchanges the points with another container; their users see the new points.
    void Swap(tSeriesData& other) {
        mData.swap(other.mData);
        std::swap(mPreallocSize, other.mPreallocSize);
        std::swap(mPreallocIteration, other.mPreallocIteration);
        blocks_.swap(other.blocks_);
        ++version_;
        ++other.version_;
    }

    // Counts the changes other than appends at the end: a reader that saw the points of one
    // version may take the first of them as they were.
    quint64 Version() const { return version_; }
    // The least and the greatest value of points [from, to) (from < to); long spans read the
    // summaries of whole blocks of points, kept as the points come.
    std::pair<double, double> ValueRange(int from, int to) const;

    // Point access by index, 0..size()-1.
    double TimeAt(int index) const { return (constBegin() + index)->key; }
    double ValueAt(int index) const { return (constBegin() + index)->value; }

    // Bytes held for points, used and reserved.
    qsizetype CapacityBytes() const;

private:
    static constexpr int kBlock = 64;
    int InsertSlowly(double time, double value);
    void GrowIfFull();

    // The least and the greatest value of each whole block of kBlock points, made as far as a
    // query needed them; a point put before the end drops those from its block on.
    mutable std::vector<std::pair<double, double>> blocks_;
    quint64 version_ = 0;
};
