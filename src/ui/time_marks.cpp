#include "ui/time_marks.h"

#include "ui/chart.h"

namespace {
const QColor kRestartColour(200, 0, 0);
const QColor kGapColour(110, 110, 110);
const QColor kGapFill(236, 236, 236);

// x on the time axis, y as a share of the plot's height (0 at the top).
void PlaceOnTime(QCPItemPosition* position, TChart* chart, double time, double heightShare) {
    position->setAxes(chart->BottomAxis(), chart->LeftAxis());
    position->setAxisRect(chart->axisRect());
    position->setTypeX(QCPItemPosition::ptPlotCoords);
    position->setTypeY(QCPItemPosition::ptAxisRectRatio);
    position->setCoords(time, heightShare);
}
}  // namespace

void tTimeMarks::Keep(QCPAbstractItem* item, const char* name) {
    item->setObjectName(QLatin1String(name));
    item->setLayer(QLatin1String(TChart::kMarksLayer));
    item->setSelectable(false);
    items_.push_back(item);
}

void tTimeMarks::AddLabel(TChart* chart, double time, const QString& text, const QColor& colour) {
    auto* label = new QCPItemText(chart);
    PlaceOnTime(label->position, chart, time, 0.0);
    label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setPadding(QMargins(3, 2, 3, 2));
    label->setColor(colour);
    label->setText(text);
    Keep(label, "timeMarkLabel");
}

void tTimeMarks::AddRestart(const QVector<TChart*>& charts, double time, const QString& label) {
    for (TChart* chart : charts) {
        auto* line = new QCPItemStraightLine(chart);
        PlaceOnTime(line->point1, chart, time, 0.0);
        PlaceOnTime(line->point2, chart, time, 1.0);
        line->setPen(QPen(kRestartColour, 2, Qt::DashLine));
        Keep(line, "restartMark");
        AddLabel(chart, time, label, kRestartColour);
    }
    ++restarts_;
}

void tTimeMarks::AddGap(const QVector<TChart*>& charts, double from, double to,
                        const QString& label) {
    for (TChart* chart : charts) {
        // Drawn over the series, it hides the straight line that joins the two sides.
        auto* band = new QCPItemRect(chart);
        PlaceOnTime(band->topLeft, chart, from, 0.0);
        PlaceOnTime(band->bottomRight, chart, to, 1.0);
        band->setPen(QPen(kGapColour, 1, Qt::DotLine));
        band->setBrush(kGapFill);
        Keep(band, "gapMark");
        AddLabel(chart, from, label, kGapColour);
    }
    ++gaps_;
}

void tTimeMarks::Clear() {
    for (const QPointer<QCPAbstractItem>& item : items_)
        if (item) item->parentPlot()->removeItem(item.data());
    items_.clear();
    restarts_ = 0;
    gaps_ = 0;
}
