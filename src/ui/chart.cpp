#include "ui/chart.h"

#include <QMouseEvent>
#include <QPainter>

namespace {
constexpr int kLegendFontPixels = 21;
const QColor kRightAxisColour(0, 0, 255);

void PaintAxis(QCPAxis* axis, const QColor& colour) {
    QPen pen = axis->basePen();
    pen.setColor(colour);
    axis->setBasePen(pen);
    axis->setTickPen(pen);
    axis->setSubTickPen(pen);
    axis->setTickLabelColor(colour);
    axis->setLabelColor(colour);
    QPen grid = axis->grid()->pen();
    grid.setColor(colour.lighter(170));
    axis->grid()->setPen(grid);
}
}  // namespace

TChart::TChart(const QString& name, QWidget* parent) : QCustomPlot(parent) {
    setObjectName(name);
    SetUpLook();
}

void TChart::SetUpLook() {
    setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    setNotAntialiasedElements(QCP::aeAll);
    setAntialiasedElements(QCP::aeNone);
    setAutoAddPlottableToLegend(false);
    setBackground(palette().window());
    axisRect()->setBackground(Qt::NoBrush);

    yAxis2->setVisible(true);
    yAxis2->grid()->setVisible(true);
    PaintAxis(yAxis2, kRightAxisColour);
    for (QCPAxis* axis : {xAxis, yAxis, yAxis2}) {
        axis->setTickLabelFont(font());
        axis->setLabelFont(font());
        axis->setNumberFormat(QStringLiteral("g"));
        axis->setNumberPrecision(6);
    }

    QFont legendFont(QStringLiteral("Arial"));
    legendFont.setPixelSize(kLegendFontPixels);
    legend->setFont(legendFont);
    legend->setTextColor(Qt::black);
    legend->setIconSize(QSize(28, 14));
    legend->setBrush(palette().window());
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    legend->setVisible(true);
    // The legend gets a row of its own under the plot instead of sitting inside it.
    plotLayout()->addElement(1, 0, legend);
    plotLayout()->setRowStretchFactor(1, 0.001);
    legend->setMargins(QMargins(6, 2, 6, 4));
    SetZoomAndPan(false);
}

TChartSeries* TChart::AddSeries(const QString& name, const QString& title, const QColor& colour,
                                bool rightAxis, QSharedPointer<tSeriesData> data) {
    auto* series = new TChartSeries(xAxis, rightAxis ? yAxis2 : yAxis, name, title, colour,
                                    std::move(data));
    series_.append(series);
    return series;
}

int TChart::VisibleSeriesCount() const {
    int count = 0;
    for (const TChartSeries* s : series_) count += s->visible() ? 1 : 0;
    return count;
}

TChartSeries* TChart::FirstVisibleSeries() const {
    for (TChartSeries* s : series_) {
        if (s->visible()) return s;
    }
    return nullptr;
}

void TChart::SetAxis(QCPAxis* axis, double minimum, double maximum, double step) {
    QSharedPointer<QCPAxisTickerFixed> ticker(new QCPAxisTickerFixed);
    ticker->setTickStep(step > 0 ? step : 1.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    axis->setTicker(ticker);
    axis->setRange(minimum, maximum);  // QCPRange normalizes swapped bounds
}

void TChart::SetAxisTitle(QCPAxis* axis, const QString& title) { axis->setLabel(title); }

void TChart::SetTimeAxisAutomatic(bool automatic) {
    timeAutomatic_ = automatic;
    if (automatic) FitTimeAxis();
}

void TChart::FitTimeAxis() {
    if (!timeAutomatic_) return;
    bool found = false;
    QCPRange range;
    for (const TChartSeries* s : series_) {
        bool seriesFound = false;
        const QCPRange r = s->Points()->keyRange(seriesFound);
        if (!seriesFound) continue;
        range = found ? QCPRange(qMin(range.lower, r.lower), qMax(range.upper, r.upper)) : r;
        found = true;
    }
    if (!found) return;
    if (range.size() <= 0) range = QCPRange(range.lower - 0.5, range.upper + 0.5);
    xAxis->setRange(range);
}

void TChart::SetLegendFramed(bool framed) {
    legend->setBorderPen(framed ? QPen(Qt::black) : QPen(Qt::NoPen));
}

void TChart::RefreshLegend() {
    legend->clearItems();
    int index = 0;
    for (TChartSeries* s : series_) {
        if (!s->visible()) continue;
        QString text = s->Title();
        if (legendText_) legendText_(this, text, index);
        s->setName(text);
        s->addToLegend(legend);
        ++index;
    }
}

QStringList TChart::LegendTexts() const {
    QStringList texts;
    for (int i = 0; i < legend->itemCount(); ++i) {
        if (auto* item = qobject_cast<QCPPlottableLegendItem*>(legend->item(i)))
            texts << item->plottable()->name();
    }
    return texts;
}

void TChart::SetZoomAndPan(bool enabled) {
    setInteractions(enabled ? QCP::Interactions(QCP::iRangeDrag | QCP::iRangeZoom)
                            : QCP::Interactions());
    axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    axisRect()->setRangeDragAxes({xAxis}, {yAxis, yAxis2});
    axisRect()->setRangeZoomAxes({xAxis}, {yAxis, yAxis2});
}

QRect TChart::PlotRect() const { return axisRect()->rect(); }

void TChart::mousePressEvent(QMouseEvent* event) {
    pressPosition_ = event->pos();
    QCustomPlot::mousePressEvent(event);
}

void TChart::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = (event->pos() - pressPosition_).manhattanLength() <= 3;
    QCustomPlot::mouseReleaseEvent(event);
    if (click && event->button() == Qt::LeftButton && onClick_) onClick_(this);
}

void TChart::paintEvent(QPaintEvent* event) {
    QCustomPlot::paintEvent(event);
    if (!onAfterDraw_) return;
    QPainter painter(this);
    onAfterDraw_(this, painter);
}
