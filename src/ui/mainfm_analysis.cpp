// Analysis of the record in the window: the statistics of the span between the time origin and
// the cursor, and the orientation view that follows the stream and, in review, the cursor.
#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/format_settings.h"
#include "app/int_conversion.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "model/channels.h"
#include "model/span_statistics.h"
#include "ui/chart.h"
#include "ui/chart_record.h"
#include "ui/handler_error.h"
#include "ui/mainfm.h"
#include "ui/orientation_view.h"
#include "ui/statistics_panel.h"

namespace {
const QString kShowOrientation = QStringLiteral("ShowOrientation");
constexpr int kOrientationSize = 150;
// A page shows six channels at most; the table fits them without scrolling.
constexpr int kStatisticsRows = 6;
}  // namespace

void TfmMain::CreateAnalysis() {
    acViewOrientation = MakeAction("acViewOrientation", "View", QStringLiteral("&Ориентация"),
                                   QStringLiteral("Показать/спрятать ориентацию мяча"), -1);
    acViewOrientation->setCheckable(true);
    acViewOrientation->setChecked(true);
    LinkMenuItem(miView, acViewOrientation, "miViewOrientation");
    BindAction(acViewOrientation, nullptr, &TfmMain::acViewOrientationExecute);

    // Under the charts, as wide as they are: the table's columns need the width, and folded it
    // leaves the charts their height. The orientation view sits at its right end, so that the
    // right panel keeps every row of the value table in sight.
    auto* chartRow = qobject_cast<QBoxLayout*>(centralWidget()->layout()->itemAt(0)->layout());
    auto* chartColumn = new QVBoxLayout;
    chartColumn->setContentsMargins(0, 0, 0, 0);
    chartColumn->setSpacing(2);
    chartRow->insertLayout(chartRow->indexOf(pcChart), chartColumn, 1);
    chartRow->removeWidget(pcChart);
    chartColumn->addWidget(pcChart, 1);
    auto* strip = new QHBoxLayout;
    strip->setContentsMargins(0, 0, 0, 0);
    strip->setSpacing(2);
    chartColumn->addLayout(strip);

    pnStatistics = new TStatisticsPanel(centralWidget());
    pnStatistics->setObjectName(QStringLiteral("pnStatistics"));
    pnStatistics->SetVisibleRows(kStatisticsRows);
    strip->addWidget(pnStatistics, 1, Qt::AlignBottom);
    pbOrientation = new TOrientationView(centralWidget());
    pbOrientation->setObjectName(QStringLiteral("pbOrientation"));
    pbOrientation->setFixedSize(kOrientationSize, kOrientationSize);
    strip->addWidget(pbOrientation, 0, Qt::AlignBottom);

    connect(pcChart, &QTabWidget::currentChanged, this, [this] { RefreshAnalysis(); });
    connect(pnStatistics->tbStatistics, &QToolButton::toggled, this, [this] { RefreshAnalysis(); });
    for (QAction* item : pmZeroItems)
        connect(item, &QAction::toggled, this, [this] { RefreshAnalysis(); });
    RetranslateAnalysis();
}

void TfmMain::ApplyAnalysisSettings() {
    const bool shown = StrToIntDef(settings_->GetSettingByName(kShowOrientation), 1) != 0;
    acViewOrientation->setChecked(shown);
    pbOrientation->setVisible(shown);
}

void TfmMain::RetranslateAnalysis() {
    pnStatistics->SetCaption(LangConst(QStringLiteral("LC_STAT_TITLE")));
    pnStatistics->SetTitles(StatisticsTitles());
    pbOrientation->setAccessibleName(LangConst(QStringLiteral("LC_ORIENTATION")));
    if (cbExportStatistics)
        cbExportStatistics->setText(LangConst(QStringLiteral("LC_STAT_EXPORT")));
    if (cbExportEvents) cbExportEvents->setText(LangConst(QStringLiteral("LC_MARKS_EXPORT")));
    if (lwEventMarks) RetranslateEventMarks();
    RefreshAnalysis();
}

QVector<int> TfmMain::StatisticsChannels() const {
    QVector<int> channels;
    const TChart* shown = chAll;
    for (TChart* chart : Charts())
        if (chart != chAll && chart->parentWidget() == pcChart->currentWidget()) shown = chart;
    for (int i = 0; i < shown->SeriesCount(); ++i) {
        const TChartSeries* series = shown->Series(i);
        if (series->visible() && series->Tag() >= 0 && series->Tag() < kChannelCount)
            channels << series->Tag();
    }
    return channels;
}

void TfmMain::RefreshAnalysis() {
    if (!pnStatistics) return;
    QList<QStringList> rows;
    // While the stream runs the record grows under the markers; the span exists in review only.
    if (!IsMeasuring()) {
        const tChartRecord record(chAll);
        const tSpan span = MarkerSpan(record.Count(), ZeroMarkerIndex, CursorIndex);
        if (!span.Empty() && pnStatistics->IsExpanded()) {
            for (const int k : StatisticsChannels()) {
                rows << (QStringList{ChannelNames[k]} +
                         StatisticsCells(statistics_.Compute(record, k, span),
                                         ChannelRowDecimals(k), FormatSettings().DecimalSeparator));
            }
        }
        ShowOrientationAt(CursorIndex);
    }
    pnStatistics->SetRows(rows);
}

void TfmMain::ShowOrientationAt(int index) {
    if (index < 0 || index >= MasterSeries(0)->Count()) return;
    const tChartRecord record(chAll);
    pbOrientation->SetAngles(record.Value(6, index), record.Value(7, index),
                             record.Value(8, index));
}

void TfmMain::acViewOrientationExecute() {
    const bool shown = acViewOrientation->isChecked();
    pbOrientation->setVisible(shown);
    try {
        settings_->SetSettingByName(kShowOrientation,
                                    shown ? QStringLiteral("1") : QStringLiteral("0"));
        settings_->Save(QString());
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        // The view stays as chosen for this run; the user learns that it will not last.
        ShowHandlerError(e.Message());
    }
}
