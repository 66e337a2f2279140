#pragma once

#include <QColor>
#include <QSharedPointer>
#include <QString>
#include <qcustomplot.h>

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

private:
    QSharedPointer<tSeriesData> points_;
    QString title_;
    int tag_ = -1;
};
