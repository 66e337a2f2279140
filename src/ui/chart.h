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

    // The layer of the marks over the series (gaps, restarts): it is drawn with the axes.
    static constexpr const char* kMarksLayer = "marks";

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

    // The redraw of a live tick. The series have a buffer of their own between the one of the
    // background and grid and the one of the marks, axes and legend. While the axes, the size
    // and the legend stay as the last full redraw left them, a tick draws again only the
    // columns where a series' polyline changed, and repaints only them: the picture is the one
    // a full redraw gives. Anything else queues a full redraw.
    void ReplotSeries();
    // The marks drawn over the series changed: the next tick draws the frame anew.
    void MarksChanged() { ++marksVersion_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // What the buffers under and over the series show depends on these alone.
    struct tFrameKey {
        QSize size;
        QRect plot;
        QCPRange time, left, right;
        int legendItems = -1;
        int items = -1;
        int marks = -1;
        bool operator==(const tFrameKey& o) const {
            return size == o.size && plot == o.plot && time == o.time && left == o.left &&
                   right == o.right && legendItems == o.legendItems && items == o.items &&
                   marks == o.marks;
        }
    };
    tFrameKey FrameKey() const;
    // Draws the changed columns of the series into their buffer; false when it cannot.
    bool ReplotChangedColumns();
    void KeepDrawnLines();
    void SetUpLook();

    tFrameKey drawnFrame_;
    int marksVersion_ = 0;
    QImage scratch_;

    QVector<TChartSeries*> series_;
    tClickHandler onClick_;
    tAfterDrawHandler onAfterDraw_;
    tLegendText legendText_;
    QPoint pressPosition_;
    bool timeAutomatic_ = false;
};
