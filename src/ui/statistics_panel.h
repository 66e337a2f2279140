#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QTableWidget;
class QToolButton;

// A panel that folds away: a header button and a read-only table of the span's statistics, one
// row per channel. Ctrl+C on the table copies all of it, titles included, as tab-separated text.
class TStatisticsPanel : public QWidget {
    Q_OBJECT
public:
    explicit TStatisticsPanel(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    void SetTitles(const QStringList& titles);
    // Each row: the channel's name, then its cells.
    void SetRows(const QList<QStringList>& rows);
    // The table's height: this many rows without scrolling.
    void SetVisibleRows(int rows);
    bool IsExpanded() const;
    void SetExpanded(bool expanded);

    // Titles and rows, tab-separated, one line each.
    QString TableText() const;
    void CopyTable() const;

    QToolButton* tbStatistics = nullptr;
    QTableWidget* sgStatistics = nullptr;
};
