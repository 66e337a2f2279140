// Review of a stopped record: the chart cursor and the time origin, their marker lines, the
// export marks with their callouts, and the show-all view.
#include <QAction>
#include <QCursor>
#include <QPainter>
#include <QPainterPath>

#include "model/channels.h"
#include "model/chart_rules.h"
#include "ui/chart.h"
#include "ui/chart_record.h"
#include "ui/mainfm.h"
#include "ui/value_list_editor.h"

namespace {
const QColor kZeroMarkerColour(0, 128, 128);
const QColor kCursorColour(128, 128, 0);
constexpr int kMarkerWidth = 4;
constexpr int kCalloutArrow = 8;
constexpr int kCalloutPadding = 3;

// The series that show a callout at each marked point: the accelerations and rates, except the
// Z rate on the page it shares with the accelerations, and no angle at all.
const char* const kSeriesWithCallouts[] = {
    "Series1",        "Series2",        "Series3",       "Series4",       "Series5",
    "Series6",        "sAccX_AccGyro",  "sAccY_AccGyro", "sAccZ_AccGyro", "sGyroX_AccGyro",
    "sGyroY_AccGyro", "sAccX_AccAng",   "sAccY_AccAng",  "sAccZ_AccAng",  "sGyroX_GyroAng",
    "sGyroY_GyroAng", "sGyroZ_GyroAng",
};

// The samples of one chart series. Every series holds the same times, but the cursor rules
// read the chart's own first visible one.
class tSeriesRecord : public tRecordView {
public:
    explicit tSeriesRecord(const TChartSeries* series) : series_(series) {}
    int Count() const override { return series_->Count(); }
    double Time(int index) const override { return series_->Points()->TimeAt(index); }
    double Value(int, int index) const override { return series_->Points()->ValueAt(index); }

private:
    const TChartSeries* series_;
};

tTimeRange TimeAxisRange(const TChart* chart) {
    const QCPRange range = chart->BottomAxis()->range();
    return {range.lower, range.upper};
}

// A box with the mark text above the point, and an arrow from the box down to the point.
void DrawCallout(QPainter& painter, const QPointF& point, const QString& text,
                 const QColor& colour) {
    const QFontMetrics metrics = painter.fontMetrics();
    const QSizeF size(metrics.horizontalAdvance(text) + 2 * kCalloutPadding,
                      metrics.height() + kCalloutPadding);
    const QPointF tail(point.x(), point.y() - kCalloutArrow);
    const QRectF box(tail.x() - size.width() / 2, tail.y() - size.height(), size.width(),
                     size.height());
    painter.setPen(QPen(colour, 1));
    painter.drawLine(tail, point);
    QPainterPath head;
    head.moveTo(point);
    head.lineTo(point.x() - 2.5, point.y() - 4);
    head.lineTo(point.x() + 2.5, point.y() - 4);
    head.closeSubpath();
    painter.fillPath(head, colour);
    painter.setBrush(QColor(255, 255, 225));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box);
    painter.drawText(box, Qt::AlignCenter, text);
}
}  // namespace

void TfmMain::SetUpMarkCallouts() {
    for (TChart* chart : Charts()) {
        for (int i = 0; i < chart->SeriesCount(); ++i) {
            TChartSeries* series = chart->Series(i);
            const QByteArray name = series->objectName().toLatin1();
            bool shown = false;
            for (const char* withCallout : kSeriesWithCallouts) shown |= name == withCallout;
            series->SetMarksShown(shown);
        }
    }
}

void TfmMain::EnableChartReview(TChart* chart) {
    chart->SetZoomAndPan(true);
    chart->SetClickHandler([this](TChart* sender) { chAccGyroClick(sender); });
    chart->SetAfterDrawHandler(
        [this](TChart* sender, QPainter& painter) { chAccGyroAfterDraw(sender, painter); });
}

void TfmMain::EndChartReview(TChart* chart) {
    chart->SetZoomAndPan(false);
    chart->SetClickHandler(nullptr);
    chart->SetAfterDrawHandler(nullptr);
}

void TfmMain::chAccGyroClick(TChart* Sender) {
    // Where the pointer is now, not where the button went down: a click reads the position
    // when it is handled.
    const QPoint at = Sender->mapFromGlobal(QCursor::pos());
    // QRect::contains counts the left and top edges in and the right and bottom ones out.
    if (!Sender->PlotRect().contains(at)) return;
    const TChartSeries* series = Sender->FirstVisibleSeries();
    if (!series) return;
    const tSeriesRecord record(series);
    const int index = NearestSampleIndex(record, Sender->BottomAxis()->pixelToCoord(at.x()));
    if (index >= 0)
        SetReviewMarker(index, acFileSetZeroMarker->isChecked());
    else
        ShowReviewMarkers();
}

void TfmMain::SetReviewMarker(int index, bool origin) {
    if (index < 0 || index >= MasterSeries(0)->Count()) return;
    (origin ? ZeroMarkerIndex : CursorIndex) = index;
    ShowChannelRows(index);
    // The marker lines are drawn over each chart's cached plot, so a repaint is enough.
    for (TChart* chart : Charts()) chart->update();
    ShowReviewMarkers();
}

void TfmMain::ShowReviewMarkers() {
    const tChartRecord record(chAll);
    if (const auto rows = TimeRowTexts(record, ZeroMarkerIndex, CursorIndex)) {
        vleData->SetValue(TimeOriginRowKey(), rows->t0);
        vleData->SetValue(TimeRowKey(), rows->t);
        vleData->SetValue(TimeSpanRowKey(), rows->dt);
    }
    RefreshAnalysis();
}

void TfmMain::chAccGyroAfterDraw(TChart* Sender, QPainter& painter) {
    DrawMarkCallouts(Sender, painter);
    TChartSeries* series = Sender->FirstVisibleSeries();
    if (!series) return;
    // The cursor goes last, so that it lies on top where both coincide.
    DrawMarkerLine(series, ZeroMarkerIndex, kZeroMarkerColour, painter);
    DrawMarkerLine(series, CursorIndex, kCursorColour, painter);
}

void TfmMain::DrawMarkerLine(TChartSeries* series, int index, const QColor& colour,
                             QPainter& painter) {
    const auto* chart = static_cast<const TChart*>(series->parentPlot());
    const tSeriesRecord record(series);
    if (!MarkerDrawn(record, index, TimeAxisRange(chart))) return;
    const int column = qRound(chart->BottomAxis()->coordToPixel(record.Time(index)));
    const QRect plot = chart->PlotRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setPen(QPen(colour, kMarkerWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(column, plot.top(), column, plot.top() + plot.height());
    painter.restore();
}

void TfmMain::SerieGetMarkText(const TChartSeries* Sender, int ValueIndex,
                               QString& MarkText) const {
    MarkText = Sender->Marks().Label(ValueIndex);
}

void TfmMain::DrawMarkCallouts(TChart* chart, QPainter& painter) const {
    const QRect plot = chart->PlotRect();
    const tTimeRange axis = TimeAxisRange(chart);
    painter.save();
    painter.setClipRect(plot);
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < chart->SeriesCount(); ++i) {
        const TChartSeries* series = chart->Series(i);
        if (!series->visible() || !series->MarksShown()) continue;
        for (const int index : series->Marks().Indices()) {
            if (index >= series->Count()) break;
            const double time = series->Points()->TimeAt(index);
            if (time < axis.lower || time > axis.upper) continue;
            QString text;
            SerieGetMarkText(series, index, text);
            if (text.isEmpty()) continue;
            const QPointF point = series->coordsToPixels(time, series->Points()->ValueAt(index));
            DrawCallout(painter, point, text, series->Colour());
        }
    }
    painter.restore();
}

void TfmMain::ToggleMarks(TChart* chart) {
    for (int i = 0; i < chart->SeriesCount(); ++i) {
        TChartSeries* series = chart->Series(i);
        if (CursorIndex >= 0 && CursorIndex < series->Count()) series->Marks().Toggle(CursorIndex);
    }
}

void TfmMain::acFileMarkPointExecute() {
    for (TChart* chart : Charts()) {
        ToggleMarks(chart);
        chart->update();
    }
}

void TfmMain::acFileShowAllExecute() {
    if (acFileShowAll->isChecked()) {
        for (TChart* chart : Charts()) chart->SetTimeAxisAutomatic(true);
    } else {
        const tChartRecord record(chAll);
        const tTimeRange window =
            TimeWindowAfterShowAll(record, tTimeRange{TimeWindow.Min, TimeWindow.Max});
        for (TChart* chart : Charts()) {
            chart->SetTimeAxisAutomatic(false);
            chart->BottomAxis()->setRange(window.lower, window.upper);
        }
    }
    RepaintVisibleChart();
}
