#include "ui/value_list_editor.h"

#include <QApplication>
#include <QHeaderView>
#include <QPointer>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QStyleOptionViewItem>
#include <algorithm>

namespace {
// The application's style, with the places within a plain text cell found without laying its
// text out. To paint a cell the style asks for the places of its check box, icon and text,
// and each answer lays the text out once, only for the text to fill the whole cell in the end
// when the view shows whole cells selected. A cell with neither check box nor icon gets the
// same places here from its rectangle alone; the table repaints several cells at every chunk.
class tPlainCellStyle : public QProxyStyle {
public:
    explicit tPlainCellStyle(QStyle* base) : QProxyStyle(base) {}

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override {
        const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        constexpr auto kExtras =
            QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
        if (cell && cell->showDecorationSelected && !(cell->features & kExtras) &&
            cell->direction == Qt::LeftToRight) {
            switch (element) {
            case SE_ItemViewItemText:
                return cell->rect;
            case SE_ItemViewItemCheckIndicator:
                return QRect();
            case SE_ItemViewItemDecoration:  // no width, at the cell's left edge
                return alignedRect(cell->direction, cell->decorationAlignment, QSize(0, 0),
                                   QRect(cell->rect.topLeft(), QSize(0, cell->rect.height())));
            default:
                break;
            }
        }
        return QProxyStyle::subElementRect(element, option, widget);
    }
};

// One for all tables, made with the first and owned by the application.
QStyle* PlainCellStyle() {
    static QPointer<tPlainCellStyle> shared;
    if (!shared) {
        QStyle* base = QStyleFactory::create(QApplication::style()->name());
        if (!base) return nullptr;
        shared = new tPlainCellStyle(base);
        shared->setParent(qApp);
    }
    return shared;
}
}  // namespace

TValueListEditor::TValueListEditor(QWidget* parent) : QTableWidget(0, 2, parent) {
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    if (QStyle* cells = PlainCellStyle()) setStyle(cells);
}

void TValueListEditor::SetTitleCaptions(const QString& keyTitle, const QString& valueTitle) {
    setHorizontalHeaderLabels({keyTitle, valueTitle});
}

void TValueListEditor::SetColumnWidths(int keyWidth, int valueWidth) {
    setColumnWidth(0, keyWidth);
    setColumnWidth(1, valueWidth);
}

void TValueListEditor::SetValuesEditable(bool editable) {
    valuesEditable_ = editable;
    setEditTriggers(editable ? QAbstractItemView::AllEditTriggers
                             : QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(editable ? QAbstractItemView::SelectItems
                                  : QAbstractItemView::SelectRows);
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* it = item(row, 1)) it->setFlags(ValueFlags());
    }
}

QTableWidgetItem* TValueListEditor::MakeKeyItem(const QString& key) const {
    auto* it = new QTableWidgetItem(key);
    it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return it;
}

Qt::ItemFlags TValueListEditor::ValueFlags() const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (valuesEditable_) flags |= Qt::ItemIsEditable;
    return flags;
}

QTableWidgetItem* TValueListEditor::MakeValueItem(const QString& value) const {
    auto* it = new QTableWidgetItem(value);
    it->setFlags(ValueFlags());
    return it;
}

void TValueListEditor::SetRows(const QStringList& keys, const QStringList& values) {
    keys_ = keys;
    ++rowsVersion_;
    setRowCount(0);
    setRowCount(keys.size());
    for (int row = 0; row < keys.size(); ++row) {
        setItem(row, 0, MakeKeyItem(keys[row]));
        setItem(row, 1, MakeValueItem(row < values.size() ? values[row] : QString()));
    }
}

void TValueListEditor::SetRowCaptions(const QStringList& captions, const QStringList& values) {
    QStringList keys = captions;
    for (int row = 0; row < keys.size() && row < keys_.size(); ++row) keys[row] = keys_[row];
    SetRows(keys, values);
    for (int row = 0; row < captions.size(); ++row) item(row, 0)->setText(captions[row]);
}

QString TValueListEditor::KeyAt(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it ? it->text() : QString();
}

QString TValueListEditor::ValueAt(int row) const {
    const QTableWidgetItem* it = item(row, 1);
    return it ? it->text() : QString();
}

void TValueListEditor::SetValueAt(int row, const QString& value) {
    if (row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = item(row, 1);
    if (!it) {
        setItem(row, 1, MakeValueItem(value));
    } else if (it->text() != value) {
        if (updateDepth_ == 0) {
            it->setText(value);
            return;
        }
        {
            const QSignalBlocker quiet(model());
            it->setText(value);
        }
        changedRows_.push_back(row);
    }
}

void TValueListEditor::BeginUpdate() { ++updateDepth_; }

void TValueListEditor::EndUpdate() {
    if (updateDepth_ == 0 || --updateDepth_ > 0 || changedRows_.empty()) return;
    // One notice for each run of adjacent changed rows: the view repaints the cells of a
    // notice's range, so a row left alone between two changed ones is not painted again.
    std::vector<int> rows;
    rows.swap(changedRows_);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (size_t run = 0; run < rows.size();) {
        size_t end = run + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1) ++end;
        emit model()->dataChanged(model()->index(rows[run], 1), model()->index(rows[end - 1], 1),
                                  {Qt::DisplayRole, Qt::EditRole});
        run = end;
    }
}

int TValueListEditor::FindRow(const QString& key) const {
    for (int row = 0; row < keys_.size(); ++row) {
        if (keys_[row].compare(key, Qt::CaseInsensitive) == 0) return row;
    }
    return -1;
}

QString TValueListEditor::Value(const QString& key) const {
    const int row = FindRow(key);
    return row < 0 ? QString() : ValueAt(row);
}

void TValueListEditor::SetValue(const QString& key, const QString& value) {
    int row = FindRow(key);
    if (row < 0) {
        row = rowCount();
        insertRow(row);
        keys_.append(key);
        ++rowsVersion_;
        setItem(row, 0, MakeKeyItem(key));
        setItem(row, 1, MakeValueItem(QString()));
    }
    SetValueAt(row, value);
}
