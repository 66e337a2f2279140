#include "ui/event_mark_layer.h"

#include <algorithm>

#include "model/event_marks.h"
#include "ui/chart.h"

namespace {
// Room kept between two labels, and the longest a label is drawn.
constexpr int kLabelGap = 6;
constexpr int kLabelMaxWidth = 160;
}  // namespace

const QColor TEventMarkLayer::kColour(106, 27, 154);

TEventMarkLayer::TEventMarkLayer(TChart* chart, const tEventMarks* marks)
    : QCPLayerable(chart, QLatin1String(TChart::kMarksLayer)), chart_(chart), marks_(marks) {
    setObjectName(QStringLiteral("eventMarks"));
}

void TEventMarkLayer::applyDefaultAntialiasingHint(QCPPainter* painter) const {
    applyAntialiasingHint(painter, false, QCP::aeItems);
}

QRect TEventMarkLayer::clipRect() const { return chart_->axisRect()->rect(); }

void TEventMarkLayer::draw(QCPPainter* painter) {
    const std::vector<tEventMark>& marks = marks_->All();
    if (marks.empty()) return;
    const QCPRange range = chart_->BottomAxis()->range();
    const auto first = std::lower_bound(
        marks.begin(), marks.end(), range.lower,
        [](const tEventMark& m, double time) { return m.at < time; });
    const QRect plot = chart_->axisRect()->rect();
    const QFontMetrics metrics(chart_->font());
    painter->setFont(chart_->font());
    painter->setPen(QPen(kColour, 1));
    int labelsEnd = plot.left() - kLabelGap;
    for (auto mark = first; mark != marks.end() && mark->at <= range.upper; ++mark) {
        const int x = qRound(chart_->BottomAxis()->coordToPixel(mark->at));
        painter->drawLine(QLineF(x, plot.top(), x, plot.bottom()));
        if (x + 3 < labelsEnd + kLabelGap) continue;
        const QString text = metrics.elidedText(mark->label, Qt::ElideRight, kLabelMaxWidth);
        const QRect box(x + 3, plot.top() + 2, metrics.horizontalAdvance(text), metrics.height());
        painter->drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
        labelsEnd = box.right();
    }
}
