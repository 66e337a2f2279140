#pragma once

#include <QColor>
#include <QSharedPointer>
#include <QString>
#include <QVector>
#include <qcustomplot.h>

#include "model/mark_set.h"
#include "ui/series_data.h"

// One line of a chart: a graph that carries the channel it shows (its tag) and its title, and
// draws the points of a container that it may share with the series of other charts.
class TChartSeries : public QCPGraph {
    Q_OBJECT
public:
    TChartSeries(QCPAxis* keyAxis, QCPAxis* valueAxis, const QString& name, const QString& title,
                 const QColor& colour, QSharedPointer<tSeriesData> data);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }
    const QString& Title() const { return title_; }
    void SetTitle(const QString& title) { title_ = title; }
    QColor Colour() const { return pen().color(); }

    // The shared points (never null).
    tSeriesData* Points() const { return points_.data(); }
    const QSharedPointer<tSeriesData>& SharedPoints() const { return points_; }
    int Count() const { return points_->size(); }

    // The export marks of this series alone: series that share points keep marks of their own.
    tMarkSet& Marks() { return marks_; }
    const tMarkSet& Marks() const { return marks_; }
    // Whether the chart draws a callout at each marked point of this series.
    bool MarksShown() const { return marksShown_; }
    void SetMarksShown(bool shown) { marksShown_ = shown; }

    // The polyline, in pixels, that a redraw of the series draws now (empty when it draws none).
    // The visible points go in pixel columns, as their lines are drawn: of the points of one
    // column it keeps the first, the least, the greatest and the last, which draw the very
    // pixels all of them draw, however many points a column holds. A column that is complete
    // is kept between calls while the points are only appended to and the axes stay.
    QVector<QPointF> LinePixels() const;
    // The polyline the chart's buffer holds, which a live tick compares with LinePixels().
    QVector<QPointF>& DrawnLines() { return drawnLines_; }
    // Draws the segments of `lines` from the first that reaches column `left` on, as a full
    // redraw draws them.
    void DrawFromColumn(QCPPainter* painter, const QVector<QPointF>& lines, double left) const;

protected:
    void draw(QCPPainter* painter) override;

private:
    // The first segment of `lines` (by its start) that reaches column `left` or beyond; the
    // polyline's x must not fall.
    static qsizetype FirstSegmentReaching(const QVector<QPointF>& lines, double left);
    // What LinePixels() computed last, and for what.
    struct tLineCache {
        QCPRange keys, values;
        QRect plot;
        quint64 version = ~quint64(0);
        int begin = -1;
        int lastColumnIndex = -1;   // the first point of the last column
        int lastColumnLines = -1;   // where the last column's entries start in `lines`
        QVector<QPointF> lines;
    };
    mutable tLineCache cache_;
    QVector<QPointF> drawnLines_;
    QSharedPointer<tSeriesData> points_;
    tMarkSet marks_;
    bool marksShown_ = false;
    QString title_;
    int tag_ = -1;
};
