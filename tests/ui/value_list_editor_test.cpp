// The value table's batched writes: the view hears of each run of rows whose text changed, once,
// when the outermost update ends.
#include "ui/value_list_editor.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <utility>
#include <vector>

namespace {
// The (first row, last row) of every change notice that the spy caught.
std::vector<std::pair<int, int>> Notices(const QSignalSpy& spy) {
    std::vector<std::pair<int, int>> out;
    for (const QList<QVariant>& args : spy)
        out.emplace_back(args[0].toModelIndex().row(), args[1].toModelIndex().row());
    return out;
}
}  // namespace

TEST(ValueListEditor, NoticesEachRunOfChangedRowsOnceAtTheOuterEnd) {
    TValueListEditor table;
    table.SetRows({"a", "b", "c", "d", "e"}, {"1", "2", "3", "4", "5"});
    QSignalSpy spy(table.model(), &QAbstractItemModel::dataChanged);

    table.BeginUpdate();
    table.BeginUpdate();
    table.SetValueAt(3, "40");
    table.SetValueAt(0, "10");
    table.SetValueAt(1, "2");  // the same text: no change
    table.SetValueAt(2, "30");
    table.SetValueAt(3, "41");
    table.EndUpdate();
    EXPECT_EQ(spy.count(), 0);  // an inner end tells nothing yet
    table.EndUpdate();
    const std::vector<std::pair<int, int>> expected{{0, 0}, {2, 3}};
    EXPECT_EQ(Notices(spy), expected);
    EXPECT_EQ(table.ValueAt(3), "41");

    spy.clear();
    table.BeginUpdate();
    table.SetValueAt(4, "5");
    table.EndUpdate();
    EXPECT_EQ(spy.count(), 0);
}
