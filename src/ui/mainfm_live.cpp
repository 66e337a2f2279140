// Sample decoding and the live display: the charts, the value table, the channel list and the
// legends.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QTabWidget>

#include "model/channels.h"
#include "model/chart_rules.h"
#include "model/number_format.h"
#include "ui/chart.h"
#include "ui/mainfm.h"
#include "ui/value_list_editor.h"

void TfmMain::ChunkDecoded(const tChunkResult& chunk) {
    for (const tSample& sample : chunk.samples) AppendSample(sample);
    for (int k = 0; k < kChannelCount; ++k) ZeroRef[k] = session_->ZeroRef(k);
    if (chunk.MovesTimeAxes()) ShowChunkEnd(chunk.time);
    if (chunk.ShowsBattery()) StatusPanel(1)->setText(QString::number(chunk.battery) + u'%');
}

void TfmMain::ChunksDrained() {
    RepaintLiveChart();
    ShowLostLines();
}

void TfmMain::AppendSample(const tSample& sample) {
    // The page series share these containers, so one insert shows on every chart.
    for (int k = 0; k < kChannelCount; ++k) masterPoints_[k]->Insert(sample.time, sample.value[k]);
}

void TfmMain::ShowChunkEnd(float time) {
    for (TChart* chart : Charts()) ScrollTimeAxis(chart, time);
    ShowChannelRows(MasterSeries(0)->Count() - 1);
    ShowOrientationAt(MasterSeries(0)->Count() - 1);
}

void TfmMain::ShowChannelRows(int index) {
    // The channels' rows are looked up again only when the table's rows changed.
    if (channelRowsVersion_ != vleData->RowsVersion()) {
        for (int k = 0; k < kChannelCount; ++k)
            channelRows_[k] = vleData->FindRow(ChannelRowKey(k));
        channelRowsVersion_ = vleData->RowsVersion();
    }
    vleData->BeginUpdate();
    for (int k = 0; k < kChannelCount; ++k) {
        const TChartSeries* series = MasterSeries(k);
        if (!series->visible() || index < 0 || index >= series->Count()) continue;
        const QString text = FormatFixed(series->Points()->ValueAt(index), ChannelRowDecimals(k));
        if (channelRows_[k] >= 0)
            vleData->SetValueAt(channelRows_[k], text);
        else
            vleData->SetValue(ChannelRowKey(k), text);  // adds the row
    }
    vleData->EndUpdate();
}

void TfmMain::ScrollTimeAxis(TChart* chart, double time) {
    try {
        const QCPRange current = chart->BottomAxis()->range();
        const tAxisChange change =
            ::ScrollTimeAxis(tTimeRange{current.lower, current.upper}, time,
                             acFileShowAll->isChecked(), tTimeRange{TimeWindow.Min, TimeWindow.Max});
        if (change.kind == tAxisChange::Automatic) {
            chart->SetTimeAxisAutomatic(true);
        } else if (change.kind == tAxisChange::Fixed) {
            chart->SetTimeAxisAutomatic(false);
            chart->BottomAxis()->setRange(change.range.lower, change.range.upper);
        }
    } catch (...) {
        // A time axis that cannot move leaves the samples recorded; the next chunk tries again.
    }
}

void TfmMain::PrepareLiveChart(TChart* chart) {
    EndChartReview(chart);
    chart->SetTimeAxisAutomatic(false);
    chart->BottomAxis()->setRange(TimeWindow.Min, TimeWindow.Max);
    statistics_.Reset();
    for (int i = 0; i < chart->SeriesCount(); ++i) {
        chart->Series(i)->Points()->Release();
        chart->Series(i)->Marks().Clear();
    }
}

void TfmMain::chSeriesClickCheck(QListWidgetItem*) {
    bool visible[kChannelCount] = {};
    int checked = 0;
    for (int k = 0; k < kChannelCount && k < chSeries->count(); ++k) {
        visible[k] = chSeries->item(k)->checkState() == Qt::Checked;
        checked += visible[k] ? 1 : 0;
    }
    {
        // Changing the boxes' flags reports as an item change; it must not come back here.
        const QSignalBlocker blocker(chSeries);
        for (int k = 0; k < chSeries->count(); ++k) {
            QListWidgetItem* item = chSeries->item(k);
            const bool lastOne = checked == 1 && k < kChannelCount && visible[k];
            item->setFlags(lastOne ? Qt::ItemIsUserCheckable
                                   : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        }
    }
    for (TChart* chart : Charts()) {
        for (int i = 0; i < chart->SeriesCount(); ++i) {
            TChartSeries* series = chart->Series(i);
            series->setVisible(visible[series->Tag()]);
        }
        chart->RefreshLegend();
    }
    RepaintVisibleChart();
    RefreshAnalysis();
}

void TfmMain::chAllGetLegendText(TChart* chart, QString& text, int index) {
    if (index < 0 || index >= chart->SeriesCount()) return;
    int seen = -1;
    for (int i = 0; i < chart->SeriesCount(); ++i) {
        TChartSeries* series = chart->Series(i);
        if (!series->visible() || ++seen != index) continue;
        if (series->Tag() >= 0 && series->Tag() < kChannelCount) text = ChannelNames[series->Tag()];
        return;
    }
}

void TfmMain::RepaintVisibleChart() {
    QWidget* page = pcChart->currentWidget();
    for (TChart* chart : Charts()) {
        if (chart->parentWidget() == page) chart->replot(QCustomPlot::rpQueuedReplot);
    }
}

void TfmMain::RepaintLiveChart() {
    QWidget* page = pcChart->currentWidget();
    for (TChart* chart : Charts()) {
        if (chart->parentWidget() == page) chart->ReplotSeries();
    }
}
