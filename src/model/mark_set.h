#pragma once

#include <QString>
#include <vector>

// The export marks of one series: the indices of its marked samples, ascending. A marked
// sample's label is " ", an unmarked one's "".
class tMarkSet {
public:
    bool Contains(int index) const;
    // Marks an unmarked sample and unmarks a marked one; negative indices are ignored.
    void Toggle(int index);
    void Set(int index, bool marked);
    void Clear() { indices_.clear(); }

    bool IsEmpty() const { return indices_.empty(); }
    int Count() const { return static_cast<int>(indices_.size()); }
    const std::vector<int>& Indices() const { return indices_; }
    // True when some marked index is below `count`, i.e. names a sample of a record that size.
    bool AnyBelow(int count) const { return !indices_.empty() && indices_.front() < count; }

    // The point label that the mark callouts show.
    QString Label(int index) const;

private:
    std::vector<int> indices_;
};
