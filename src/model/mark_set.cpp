#include "model/mark_set.h"

#include <algorithm>

bool tMarkSet::Contains(int index) const {
    return std::binary_search(indices_.begin(), indices_.end(), index);
}

void tMarkSet::Toggle(int index) {
    Set(index, !Contains(index));
}

void tMarkSet::Set(int index, bool marked) {
    if (index < 0) return;
    const auto at = std::lower_bound(indices_.begin(), indices_.end(), index);
    const bool present = at != indices_.end() && *at == index;
    if (marked && !present) indices_.insert(at, index);
    if (!marked && present) indices_.erase(at);
}

QString tMarkSet::Label(int index) const {
    return Contains(index) ? QStringLiteral(" ") : QString();
}
