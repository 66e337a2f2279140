#pragma once

#include <QString>
#include <QStringList>
#include <QTableWidget>
#include <vector>

// A two-column table of key = value rows. Rows are found by key without regard to case;
// writing a key that no row has appends a row with that key. Keys are never editable; the
// values are when the table is made editable. Keys change only through SetRows and SetValue,
// which keep a plain copy of them, so that a lookup does not go through the item model.
class TValueListEditor : public QTableWidget {
    Q_OBJECT
public:
    explicit TValueListEditor(QWidget* parent = nullptr);

    void SetTitleCaptions(const QString& keyTitle, const QString& valueTitle);
    void SetColumnWidths(int keyWidth, int valueWidth);
    void SetValuesEditable(bool editable);

    // Replaces all rows: the keys in order, with the given values (missing ones are empty).
    void SetRows(const QStringList& keys, const QStringList& values = QStringList());
    // The same for a translated table: the rows show the new keys, but each row that was there
    // before is still found by its old key, since the program writes its rows by those.
    void SetRowCaptions(const QStringList& captions, const QStringList& values);

    int RowCount() const { return rowCount(); }
    QString KeyAt(int row) const;
    QString ValueAt(int row) const;
    void SetValueAt(int row, const QString& value);

    // -1 when no row has the key.
    int FindRow(const QString& key) const;
    // Changes whenever rows come or go, so that a caller may keep the rows it found.
    int RowsVersion() const { return rowsVersion_; }
    QString Value(const QString& key) const;
    void SetValue(const QString& key, const QString& value);

    // The writes until the outermost EndUpdate tell the views once, for the rows whose text
    // changed, in place of once a cell: the table repaints those cells alone.
    void BeginUpdate();
    void EndUpdate();

private:
    QTableWidgetItem* MakeKeyItem(const QString& key) const;
    QTableWidgetItem* MakeValueItem(const QString& value) const;
    Qt::ItemFlags ValueFlags() const;

    QStringList keys_;
    bool valuesEditable_ = false;
    int rowsVersion_ = 0;
    int updateDepth_ = 0;
    std::vector<int> changedRows_;  // the rows written with a new text during the update
};
