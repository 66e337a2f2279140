#pragma once

#include <QPointer>
#include <QString>
#include <QVector>
#include <qcustomplot.h>

class TChart;

// Marks across the time axis of every chart: a restart of the ball's clock (a vertical line
// with a short label) and a gap where no samples came (a band that hides the line drawn
// across it). They are chart items, not points, so the record, the cursor and the export never
// see them.
class tTimeMarks {
public:
    void AddRestart(const QVector<TChart*>& charts, double time, const QString& label);
    void AddGap(const QVector<TChart*>& charts, double from, double to, const QString& label);
    // Removes every mark from its chart.
    void Clear();
    // Restart and gap marks, counted once for all charts.
    int RestartCount() const { return restarts_; }
    int GapCount() const { return gaps_; }

private:
    void AddLabel(TChart* chart, double time, const QString& text, const QColor& colour);
    void Keep(QCPAbstractItem* item, const char* name);

    QVector<QPointer<QCPAbstractItem>> items_;
    int restarts_ = 0;
    int gaps_ = 0;
};
