#include "ui/statistics_panel.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TStatisticsPanel::TStatisticsPanel(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    tbStatistics = new QToolButton(this);
    tbStatistics->setObjectName(QStringLiteral("tbStatistics"));
    tbStatistics->setCheckable(true);
    tbStatistics->setChecked(true);
    tbStatistics->setAutoRaise(true);
    tbStatistics->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    tbStatistics->setArrowType(Qt::DownArrow);
    tbStatistics->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont bold = tbStatistics->font();
    bold.setBold(true);
    tbStatistics->setFont(bold);
    layout->addWidget(tbStatistics);

    sgStatistics = new QTableWidget(this);
    sgStatistics->setObjectName(QStringLiteral("sgStatistics"));
    sgStatistics->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgStatistics->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgStatistics->verticalHeader()->setVisible(false);
    sgStatistics->verticalHeader()->setDefaultSectionSize(sgStatistics->fontMetrics().height() + 4);
    sgStatistics->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    layout->addWidget(sgStatistics);

    auto* copy = new QAction(sgStatistics);
    copy->setObjectName(QStringLiteral("acStatisticsCopy"));
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    sgStatistics->addAction(copy);
    connect(copy, &QAction::triggered, this, &TStatisticsPanel::CopyTable);
    connect(tbStatistics, &QToolButton::toggled, this, &TStatisticsPanel::SetExpanded);
}

void TStatisticsPanel::SetCaption(const QString& caption) {
    tbStatistics->setText(caption);
    sgStatistics->setAccessibleName(caption);
}

void TStatisticsPanel::SetTitles(const QStringList& titles) {
    sgStatistics->setColumnCount(int(titles.size()));
    sgStatistics->setHorizontalHeaderLabels(titles);
}

void TStatisticsPanel::SetRows(const QList<QStringList>& rows) {
    sgStatistics->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < sgStatistics->columnCount(); ++c) {
            QTableWidgetItem* item = sgStatistics->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
                sgStatistics->setItem(r, c, item);
            }
            item->setText(rows[r].value(c));
        }
    }
}

void TStatisticsPanel::SetVisibleRows(int rows) {
    // The header's own hint comes short of the height it takes once styled; a row's height
    // and a little covers it.
    const int row = sgStatistics->verticalHeader()->defaultSectionSize();
    const int header = std::max(sgStatistics->horizontalHeader()->sizeHint().height(), row) + 6;
    sgStatistics->setFixedHeight(header + rows * row + 2 * sgStatistics->frameWidth());
}

bool TStatisticsPanel::IsExpanded() const {
    return tbStatistics->isChecked();
}

void TStatisticsPanel::SetExpanded(bool expanded) {
    tbStatistics->setChecked(expanded);
    tbStatistics->setArrowType(expanded ? Qt::DownArrow : Qt::RightArrow);
    sgStatistics->setVisible(expanded);
}

QString TStatisticsPanel::TableText() const {
    QStringList lines;
    QStringList cells;
    for (int c = 0; c < sgStatistics->columnCount(); ++c) {
        const QTableWidgetItem* title = sgStatistics->horizontalHeaderItem(c);
        cells << (title ? title->text() : QString());
    }
    lines << cells.join(u'\t');
    for (int r = 0; r < sgStatistics->rowCount(); ++r) {
        cells.clear();
        for (int c = 0; c < sgStatistics->columnCount(); ++c) {
            const QTableWidgetItem* item = sgStatistics->item(r, c);
            cells << (item ? item->text() : QString());
        }
        lines << cells.join(u'\t');
    }
    return lines.join(u'\n') + u'\n';
}

void TStatisticsPanel::CopyTable() const {
    QGuiApplication::clipboard()->setText(TableText());
}
