#include "ui/chart_series.h"

#include <algorithm>

TChartSeries::TChartSeries(QCPAxis* keyAxis, QCPAxis* valueAxis, const QString& name,
                           const QString& title, const QColor& colour,
                           QSharedPointer<tSeriesData> data)
    : QCPGraph(keyAxis, valueAxis), points_(std::move(data)), title_(title) {
    setObjectName(name);
    if (!points_) points_.reset(new tSeriesData);
    // The graph keeps the same container object, so points appended through Points() show
    // on every chart that shares it, without copies.
    setData(QSharedPointer<QCPGraphDataContainer>(points_));
    QPen line(colour);
    line.setWidth(3);
    setPen(line);
    setLineStyle(QCPGraph::lsLine);
    setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
    setAdaptiveSampling(true);
    setAntialiased(false);
    setSelectable(QCP::stNone);
}

QVector<QPointF> TChartSeries::LinePixels() const {
    QVector<QPointF> lines;
    // The cases in which the graph draws nothing, as its own draw tells them.
    if (!keyAxis() || !valueAxis() || keyAxis()->range().size() <= 0 || points_->isEmpty() ||
        lineStyle() == lsNone)
        return lines;
    // A series that cannot be selected draws its whole data as one unselected segment.
    getLines(&lines, QCPDataRange(0, dataCount()).adjusted(-1, 1));
    return lines;
}

qsizetype TChartSeries::FirstSegmentReaching(const QVector<QPointF>& lines, double left) {
    // The first point at or right of the column ends the first segment that reaches it.
    const auto end = std::partition_point(lines.begin(), lines.end(),
                                          [left](const QPointF& p) { return p.x() < left; });
    if (end == lines.end()) return lines.size();
    return std::max<qsizetype>(0, (end - lines.begin()) - 1);
}

void TChartSeries::DrawFromColumn(QCPPainter* painter, const QVector<QPointF>& lines,
                                  double left) const {
    const qsizetype first = FirstSegmentReaching(lines, left);
    if (first >= lines.size()) return;
    applyDefaultAntialiasingHint(painter);
    painter->setBrush(Qt::NoBrush);
    painter->setPen(pen());
    if (painter->pen().style() == Qt::NoPen || painter->pen().color().alpha() == 0) return;
    drawPolyline(painter, lines.mid(first));
}
