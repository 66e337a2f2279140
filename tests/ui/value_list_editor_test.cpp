// The value table's batched writes: the view hears of each run of rows whose text changed, once,
// when the outermost update ends.
#include "ui/value_list_editor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTest>
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

namespace {
// The options the table's delegate paints a cell with.
class tOptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::initStyleOption;
};
class tProbeTable : public TValueListEditor {
public:
    using TValueListEditor::initViewItemOption;
};
}  // namespace

// The table's style finds the places in a cell without the text's layout; they must be the
// application style's own, and the picture the same.
TEST(ValueListEditor, PaintsCellsAsTheApplicationStyleDoes) {
    const QStringList keys{"ax", "a key far too long for its column to show whole", "", "r"};
    const QStringList values{"-1234.567", "0.1", "", "99999999999999999999999999999999999"};
    tProbeTable table;
    table.SetRows(keys, values);
    table.resize(260, 160);
    table.selectRow(3);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));

    QStyle* own = table.style();
    QStyle* app = QApplication::style();
    ASSERT_NE(own, app);
    tOptionDelegate delegate;
    for (int row = 0; row < table.rowCount(); ++row) {
        for (int column = 0; column < 2; ++column) {
            QStyleOptionViewItem option;
            table.initViewItemOption(&option);
            const QModelIndex index = table.model()->index(row, column);
            option.rect = table.visualRect(index);
            delegate.initStyleOption(&option, index);
            for (const QStyle::SubElement e :
                 {QStyle::SE_ItemViewItemText, QStyle::SE_ItemViewItemCheckIndicator,
                  QStyle::SE_ItemViewItemDecoration})
                EXPECT_EQ(own->subElementRect(e, &option, &table),
                          app->subElementRect(e, &option, &table))
                    << row << "," << column << " element " << e;
        }
    }
    const QImage withOwn = table.viewport()->grab().toImage();
    table.setStyle(app);
    const QImage withApp = table.viewport()->grab().toImage();
    EXPECT_EQ(withOwn, withApp);
}
