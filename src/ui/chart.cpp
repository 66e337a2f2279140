#include "ui/chart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

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

    // Three buffers: background and grid; the series; the marks over them, axes, legend.
    layer(QStringLiteral("main"))->setMode(QCPLayer::lmBuffered);
    addLayer(QLatin1String(TChart::kMarksLayer), layer(QStringLiteral("main")), limAbove);
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    connect(this, &QCustomPlot::afterReplot, this, [this] {
        drawnFrame_ = FrameKey();
        KeepDrawnLines();
    });
}

TChart::tFrameKey TChart::FrameKey() const {
    return tFrameKey{size(),           axisRect()->rect(), xAxis->range(), yAxis->range(),
                     yAxis2->range(),  legend->visible() ? legend->itemCount() : 0,
                     itemCount(),      marksVersion_};
}

void TChart::KeepDrawnLines() {
    for (QCPLayerable* child : layer(QStringLiteral("main"))->children()) {
        if (auto* series = qobject_cast<TChartSeries*>(child))
            series->DrawnLines() = series->realVisibility() ? series->LinePixels()
                                                            : QVector<QPointF>();
    }
}

void TChart::ReplotSeries() {
    if (!ReplotChangedColumns()) replot(rpQueuedReplot);
}

namespace {
// Widens [left, right] to the columns where `drawn` and `now` differ: from the last point they
// share (the segment that leaves it changed) to the end of either. Returns how many leading
// points they share.
qsizetype WidenToChange(const QVector<QPointF>& drawn, const QVector<QPointF>& now, double& left,
                        double& right) {
    const qsizetype common = std::min(drawn.size(), now.size());
    // Whole blocks first: bitwise equal points are equal (a point that differs in its bits
    // alone, -0 against 0, only widens what is drawn again).
    constexpr qsizetype kBlock = 64;
    qsizetype same = 0;
    while (same + kBlock <= common &&
           std::memcmp(drawn.constData() + same, now.constData() + same, kBlock * sizeof(QPointF)) == 0)
        same += kBlock;
    while (same < common && drawn[same].x() == now[same].x() && drawn[same].y() == now[same].y())
        ++same;
    if (same == drawn.size() && same == now.size()) return same;
    for (const QVector<QPointF>* lines : {&drawn, &now}) {
        for (qsizetype i = std::max<qsizetype>(0, same - 1); i < lines->size(); ++i) {
            left = std::min(left, (*lines)[i].x());
            right = std::max(right, (*lines)[i].x());
        }
    }
    return same;
}

// Brings `drawn` to `now`, which share their first `same` points, in its own storage: sharing
// it with the series' line cache would make the cache copy all of it on the next tick.
void KeepLines(QVector<QPointF>& drawn, const QVector<QPointF>& now, qsizetype same) {
    drawn.resize(same);
    for (qsizetype i = same; i < now.size(); ++i) drawn.append(now[i]);
}
}  // namespace

bool TChart::ReplotChangedColumns() {
    // The series' buffer is the second of three, as SetUpLook arranges them.
    if (mReplotQueued || mPaintBuffers.size() != 3 || hasInvalidatedPaintBuffers() ||
        !isVisible() || xAxis->rangeReversed() || !(FrameKey() == drawnFrame_))
        return false;
    struct tChange {
        TChartSeries* series;
        QVector<QPointF> lines;
        qsizetype same;  // the leading points that the buffer shows already
    };
    std::vector<tChange> changes;
    double left = std::numeric_limits<double>::infinity();
    double right = -left;
    for (QCPLayerable* child : layer(QStringLiteral("main"))->children()) {
        // The plot's layout lives on this layer too; a layout draws nothing itself.
        if (qobject_cast<QCPLayout*>(child)) continue;
        auto* series = qobject_cast<TChartSeries*>(child);
        if (!series) return false;
        if (!series->realVisibility()) continue;
        QVector<QPointF> lines = series->LinePixels();
        const qsizetype same = WidenToChange(series->DrawnLines(), lines, left, right);
        changes.push_back({series, std::move(lines), same});
    }
    if (left > right) return true;
    // A 3-pixel line with square caps reaches 2 pixels beyond its ends; one more for rounding.
    constexpr int kReach = 4;
    const QRect columns = QRect(QPoint(int(std::floor(left)) - kReach, 0),
                                QPoint(int(std::ceil(right)) + kReach, height() - 1)) &
                          rect();
    // The segments that reach those columns are drawn as the layer draws them, clipped to the
    // plot alone (the raster engine ends a wide line that a clip cuts a little differently),
    // onto a scratch image; only the changed columns go from there into the series' buffer.
    const QSize pixels = size() * mBufferDevicePixelRatio;
    if (scratch_.size() != pixels) {
        scratch_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        scratch_.setDevicePixelRatio(mBufferDevicePixelRatio);
    }
    {
        // Only the changed columns leave the scratch image, so only they need to start clear
        // (transparent is all bits zero in this format).
        const double r = mBufferDevicePixelRatio;
        const QRect clear = QRect(QPoint(int(std::floor(columns.left() * r)), 0),
                                  QPoint(int(std::ceil((columns.right() + 1) * r)), pixels.height())) &
                            scratch_.rect();
        for (int y = clear.top(); y <= clear.bottom(); ++y)
            std::memset(scratch_.scanLine(y) + clear.left() * 4, 0, size_t(clear.width()) * 4);
        QCPPainter scratch(&scratch_);
        const QRect plot = axisRect()->rect().translated(0, -1);
        for (tChange& change : changes) {
            scratch.save();
            scratch.setClipRect(plot);
            change.series->DrawFromColumn(&scratch, change.lines, columns.left() - kReach);
            scratch.restore();
            KeepLines(change.series->DrawnLines(), change.lines, change.same);
        }
    }
    QCPAbstractPaintBuffer* buffer = mPaintBuffers.at(1).data();
    std::unique_ptr<QCPPainter> painter(buffer->startPainting());
    if (!painter || !painter->isActive()) {
        painter.reset();
        buffer->donePainting();
        replot(rpQueuedReplot);
        return true;
    }
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->drawImage(columns, scratch_,
                       QRectF(QPointF(columns.topLeft()) * mBufferDevicePixelRatio,
                              QSizeF(columns.size()) * mBufferDevicePixelRatio));
    painter.reset();
    buffer->donePainting();
    update(columns);
    return true;
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

namespace {
// Ticks every `step`, as long as they stand at least kMinTickSpacing pixels apart on the axis;
// over a longer range (show-all over hours) the step grows to the next multiple of 1, 2 or 5
// times ten that keeps them apart, so that the labels stay readable and cheap to draw.
class tSpacedTicker : public QCPAxisTickerFixed {
public:
    explicit tSpacedTicker(QCPAxis* axis) : axis_(axis) {}

protected:
    double getTickStep(const QCPRange& range) override {
        constexpr double kMinTickSpacing = 30;
        const double step = tickStep();
        const int pixels = !axis_ ? 0
                           : axis_->orientation() == Qt::Horizontal ? axis_->axisRect()->width()
                                                                    : axis_->axisRect()->height();
        if (pixels <= 0 || step <= 0) return step;
        const double fit = std::max(1.0, pixels / kMinTickSpacing);
        double multiple = 1;
        for (int k = 0; range.size() / (step * multiple) > fit && k < 60; ++k)
            multiple *= (k % 3 == 1) ? 2.5 : 2;  // 1, 2, 5, 10, 20, 50, ...
        return step * multiple;
    }

private:
    QPointer<QCPAxis> axis_;
};
}  // namespace

void TChart::SetAxis(QCPAxis* axis, double minimum, double maximum, double step) {
    QSharedPointer<QCPAxisTickerFixed> ticker(new tSpacedTicker(axis));
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
