#include "ui/chart_series.h"

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
