#pragma once

#include <QPoint>
#include <QString>
#include <QVector>
#include <functional>
#include <qcustomplot.h>

#include "ui/chart_series.h"

class QPainter;

// One line chart of the window: a time axis at the bottom, a value axis on each side (the
// right one in blue), and the legend in its own row under the plot. Every chart draws 3-pixel
// lines the fast way and without antialiasing, which keeps a redraw cheap at any record length.
class TChart : public QCustomPlot {
    Q_OBJECT
public:
    using tClickHandler = std::function<void(TChart*)>;
    using tAfterDrawHandler = std::function<void(TChart*, QPainter&)>;
    using tLegendText = std::function<void(TChart*, QString&, int)>;

    explicit TChart(const QString& name, QWidget* parent = nullptr);

    // A series on the left or the right value axis; a null container gives it its own.
    TChartSeries* AddSeries(const QString& name, const QString& title, const QColor& colour,
                            bool rightAxis, QSharedPointer<tSeriesData> data = {});
    int SeriesCount() const { return series_.size(); }
    TChartSeries* Series(int index) const { return series_.value(index, nullptr); }
    // Series in series order that are visible.
    int VisibleSeriesCount() const;
    TChartSeries* FirstVisibleSeries() const;

    QCPAxis* LeftAxis() const { return yAxis; }
    QCPAxis* RightAxis() const { return yAxis2; }
    QCPAxis* BottomAxis() const { return xAxis; }

    // A fixed range with ticks every `step` (the bounds swap when min exceeds max).
    static void SetAxis(QCPAxis* axis, double minimum, double maximum, double step);
    static void SetAxisTitle(QCPAxis* axis, const QString& title);
    // Turns the time axis' automatic scaling on (fit to all points) or off.
    void SetTimeAxisAutomatic(bool automatic);
    bool TimeAxisAutomatic() const { return timeAutomatic_; }
    // Applies the automatic time range now, when it is on.
    void FitTimeAxis();

    // The page charts draw their legend without a frame.
    void SetLegendFramed(bool framed);
    // One legend item per visible series; the handler gives the text of item `index`.
    void SetLegendTextHandler(tLegendText handler) { legendText_ = std::move(handler); }
    void RefreshLegend();
    QStringList LegendTexts() const;

    void SetZoomAndPan(bool enabled);
    void SetClickHandler(tClickHandler handler) { onClick_ = std::move(handler); }
    void SetAfterDrawHandler(tAfterDrawHandler handler) { onAfterDraw_ = std::move(handler); }
    bool HasClickHandler() const { return bool(onClick_); }
    bool HasAfterDrawHandler() const { return bool(onAfterDraw_); }

    // The area bounded by the axes, in widget coordinates.
    QRect PlotRect() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void SetUpLook();

    QVector<TChartSeries*> series_;
    tClickHandler onClick_;
    tAfterDrawHandler onAfterDraw_;
    tLegendText legendText_;
    QPoint pressPosition_;
    bool timeAutomatic_ = false;
};
