#pragma once

#include <qcustomplot.h>

class TChart;
class tEventMarks;

// The event marks of the record on one chart: a thin vertical line at each mark with its label
// at the top. One drawing pass for all marks, however many: only the marks in the time axis'
// range are drawn, and a label that would run into the one before it is left out while its
// line stays.
class TEventMarkLayer : public QCPLayerable {
public:
    TEventMarkLayer(TChart* chart, const tEventMarks* marks);

    static const QColor kColour;

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    QRect clipRect() const override;
    void draw(QCPPainter* painter) override;

private:
    TChart* chart_;
    const tEventMarks* marks_;
};
