#include "ui/chart_series.h"

#include <algorithm>
#include <limits>

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
    // The cases in which the graph draws nothing, as its own draw tells them.
    if (!keyAxis() || !valueAxis() || keyAxis()->range().size() <= 0 || points_->isEmpty() ||
        lineStyle() == lsNone)
        return {};
    const QCPAxis* key = keyAxis();
    const QCPAxis* value = valueAxis();
    const auto first = points_->constBegin();
    // The visible points and one beyond each side, as the graph takes them.
    const int begin = int(points_->findBegin(key->range().lower) - first);
    const int end = int(points_->findEnd(key->range().upper) - first);
    const QRect plot = key->axisRect()->rect();

    tLineCache& c = cache_;
    int from = begin;
    if (c.version == points_->Version() && c.begin == begin && c.keys == key->range() &&
        c.values == value->range() && c.plot == plot && c.lastColumnIndex >= 0 &&
        c.lastColumnIndex < end) {
        from = c.lastColumnIndex;
        c.lines.resize(c.lastColumnLines);
    } else {
        c = tLineCache{key->range(), value->range(), plot, points_->Version(), begin, -1, -1, {}};
    }
    // A line's ends are drawn at the nearest whole pixel, so points whose x rounds alike share
    // a column.
    auto column = [&](int i) { return qRound(key->coordToPixel(first[i].key)); };
    auto pixel = [&](int i, double v) {
        return QPointF(key->coordToPixel(first[i].key), value->coordToPixel(v));
    };
    for (int i = from; i < end;) {
        const int at = column(i);
        // The column's end: step while it is near, search when the column is long.
        int next = i + 1;
        while (next < end && next - i < 32 && column(next) == at) ++next;
        if (next < end && next - i == 32 && column(next) == at) {
            int low = next, high = end;  // column(low) == at, the end lies in (low, high]
            while (high - low > 1) {
                const int mid = low + (high - low) / 2;
                (column(mid) == at ? low : high) = mid;
            }
            next = high;
        }
        c.lastColumnIndex = i;
        c.lastColumnLines = int(c.lines.size());
        if (next - i <= 4) {
            for (int k = i; k < next; ++k) c.lines.append(pixel(k, first[k].value));
        } else {
            // The first and the last keep the lines to the next columns; the least and the
            // greatest in between cover the column's height.
            const double head = first[i].value;
            const double tail = first[next - 1].value;
            const std::pair<double, double> range = points_->ValueRange(i, next);
            c.lines.append(pixel(i, head));
            for (const double v : {range.first, range.second})
                if (v != head && v != tail) c.lines.append(pixel(i, v));
            c.lines.append(pixel(next - 1, tail));
        }
        i = next;
    }
    return c.lines;
}

void TChartSeries::draw(QCPPainter* painter) {
    DrawFromColumn(painter, LinePixels(), -std::numeric_limits<double>::infinity());
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
