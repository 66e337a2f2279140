#include "controls/slim_track_bar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Geometry is computed in 64 bits and saturated, so that extreme ranges, paddings or
// thicknesses give a clamped picture instead of overflowing.
int Saturate(qint64 value) {
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::clamp<double>(value, INT_MIN, INT_MAX));
}

// Left, top and the exclusive right and bottom edges, as the drawing rules are stated.
QRect EdgeRect(qint64 left, qint64 top, qint64 right, qint64 bottom) {
    return QRect(QPoint(Saturate(left), Saturate(top)),
                 QPoint(Saturate(right - 1), Saturate(bottom - 1)));
}

void FillArea(QPainter& painter, const QRect& r, const QColor& colour) {
    if (r.isValid()) painter.fillRect(r, colour);
}

// A one-pixel axis-parallel line from a towards b that leaves out b itself, the way a
// connected line hands its end point to the next segment.
void LineWithoutEnd(QPainter& painter, const QColor& colour, QPoint a, QPoint b) {
    if (a == b) return;
    QPoint last = b;
    if (a.x() == b.x())
        last.ry() += b.y() > a.y() ? -1 : 1;
    else
        last.rx() += b.x() > a.x() ? -1 : 1;
    painter.fillRect(QRect(QPoint(std::min(a.x(), last.x()), std::min(a.y(), last.y())),
                           QPoint(std::max(a.x(), last.x()), std::max(a.y(), last.y()))),
                     colour);
}

// Every other pixel of the outline, inverted, so that the frame shows on any background and
// whatever style the application runs with (some styles fill their focus frames instead).
void DrawFocusFrame(QPainter& painter, const QRect& r) {
    if (!r.isValid()) return;
    QPolygon dots;
    int n = 0;
    auto walk = [&](QPoint from, QPoint step, int count) {
        for (int i = 0; i < count; ++i, from += step)
            if (n++ % 2 == 0) dots << from;
    };
    if (r.width() == 1 || r.height() == 1) {  // a line: each pixel once, or XOR undoes it
        walk(r.topLeft(), r.width() == 1 ? QPoint(0, 1) : QPoint(1, 0),
             std::max(r.width(), r.height()));
    } else {
        walk(r.topLeft(), QPoint(1, 0), r.width() - 1);
        walk(r.topRight(), QPoint(0, 1), r.height() - 1);
        walk(r.bottomRight(), QPoint(-1, 0), r.width() - 1);
        walk(r.bottomLeft(), QPoint(0, -1), r.height() - 1);
    }
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.setPen(QPen(Qt::white, 0));
    painter.drawPoints(dots);
    painter.restore();
}

}  // namespace

TSlimTrackBar::TSlimTrackBar(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted, and the keyboard focus comes only from a click (ClickFocus)
    // or from the program: the control is no tab stop unless its owner makes it one.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resize(150, 30);
}

QSize TSlimTrackBar::sizeHint() const {
    return QSize(ValByOrientation(150, 30), ValByOrientation(30, 150));
}

void TSlimTrackBar::SetPageSize(int value) {
    pageSize_ = value;
}

void TSlimTrackBar::SetLineSize(int value) {
    lineSize_ = value;
}

void TSlimTrackBar::SetClickFocus(bool value) {
    clickFocus_ = value;
}

void TSlimTrackBar::SetSliderVisible(bool value) {
    if (value == sliderVisible_) return;
    sliderVisible_ = value;
    update();
}

void TSlimTrackBar::SetPosHighlight(bool value) {
    if (value == posHighlight_) return;
    posHighlight_ = value;
    update();
}

QColor TSlimTrackBar::Resolve(const tColourChoice& choice) const {
    return choice.fixed.isValid() ? choice.fixed : palette().color(choice.role);
}

void TSlimTrackBar::SetColour(tColourChoice& slot, const tColourChoice& value) {
    if (value == slot) return;
    slot = value;
    update();
}

void TSlimTrackBar::SetShadowColor(const QColor& value) {
    SetColour(shadowColor_, {shadowColor_.role, value});
}
void TSlimTrackBar::SetHighlightColor(const QColor& value) {
    SetColour(highlightColor_, {highlightColor_.role, value});
}
void TSlimTrackBar::SetTrackColor(const QColor& value) {
    SetColour(trackColor_, {trackColor_.role, value});
}
void TSlimTrackBar::SetSelectionColor(const QColor& value) {
    SetColour(selectionColor_, {selectionColor_.role, value});
}
void TSlimTrackBar::SetPosHighlightColor(const QColor& value) {
    SetColour(posHighlightColor_, {posHighlightColor_.role, value});
}

// Min and Max drag the other values along silently: only a position change that the user
// or the program asked for is a change.
void TSlimTrackBar::SetMin(int value) {
    if (value == min_) return;
    min_ = std::min(value, max_);
    position_ = std::max(position_, min_);
    selStart_ = std::max(selStart_, min_);
    selEnd_ = std::max(selEnd_, min_);
    update();
}

void TSlimTrackBar::SetMax(int value) {
    if (value == max_) return;
    max_ = std::max(value, min_);
    position_ = std::min(position_, max_);
    selEnd_ = std::min(selEnd_, max_);
    selStart_ = std::min(selStart_, max_);
    update();
}

// The raw value is compared before it is raised to the bound, as every setter does.
void TSlimTrackBar::SetAtLeast(int& field, int value, int lowest) {
    if (value == field) return;
    field = std::max(value, lowest);
    update();
}

void TSlimTrackBar::SetThickness(int value) {
    SetAtLeast(thickness_, value, 2);
}

void TSlimTrackBar::SetPadding(int value) {
    SetAtLeast(padding_, value, 0);
}

void TSlimTrackBar::SetFocusPadding(int value) {
    SetAtLeast(focusPadding_, value, 0);
}

void TSlimTrackBar::SetSelEnd(int value) {
    if (value == selEnd_) return;
    selEnd_ = std::clamp(value, min_, max_);
    selStart_ = std::min(selStart_, selEnd_);
    update();
}

void TSlimTrackBar::SetSelStart(int value) {
    if (value == selStart_) return;
    selStart_ = std::clamp(value, min_, max_);
    selEnd_ = std::max(selEnd_, selStart_);
    update();
}

void TSlimTrackBar::SetOrientation(TSlimTrackBarOrientation value) {
    if (value == orientation_) return;
    orientation_ = value;
    resize(height(), width());
    updateGeometry();
    update();
}

// OnChange reports that a different value was asked for, even when clamping keeps the
// position: a key held at an end keeps reporting, which the owner may rely on.
void TSlimTrackBar::SetPositionWide(qint64 value) {
    if (value == position_) return;
    const QRect before = GetSliderRect();
    position_ = static_cast<int>(std::clamp<qint64>(value, min_, max_));
    const QRect after = GetSliderRect();
    if (before != after) update(before.united(after));
    Q_EMIT OnChange(this);
}

double TSlimTrackBar::GetPosStep() const {
    const double extent = ValByOrientation(width(), height());
    const qint64 range = std::max<qint64>(1, qint64(max_) - min_);
    return (extent - 2.0 * padding_) / static_cast<double>(range);
}

int TSlimTrackBar::GetPosCoordinate(int value) const {
    const double offset = GetPosStep() * static_cast<double>(qint64(value) - min_);
    return Saturate(qint64(TruncateToInt(offset)) + padding_);
}

QRect TSlimTrackBar::GetTrackLineRect() const {
    const qint64 w = width(), h = height(), pad = padding_, thick = thickness_;
    if (orientation_ == toHorizontal) {
        const qint64 top = (h - thick) / 2;
        return EdgeRect(pad, top, w - pad, top + thick);
    }
    const qint64 left = (w - thick) / 2;
    return EdgeRect(left, pad, left + thick, h - pad);
}

QRect TSlimTrackBar::GetPosHighlightRect() const {
    const QRect track = GetTrackLineRect();
    const qint64 coordinate = GetPosCoordinate(position_);
    if (orientation_ == toHorizontal)
        return EdgeRect(padding_, track.top(), coordinate, qint64(track.bottom()) + 1);
    const qint64 h = height();
    return EdgeRect(track.left(), h - coordinate, qint64(track.right()) + 1, h - padding_);
}

QRect TSlimTrackBar::GetSelectionRect() const {
    const QRect track = GetTrackLineRect();
    const qint64 start = GetPosCoordinate(selStart_), end = GetPosCoordinate(selEnd_);
    if (orientation_ == toHorizontal)
        return EdgeRect(start, track.top(), end, qint64(track.bottom()) + 1);
    const qint64 h = height();
    return EdgeRect(track.left(), h - end, qint64(track.right()) + 1, h - start);
}

QRect TSlimTrackBar::GetSliderRect() const {
    const qint64 across = 3 * qint64(thickness_);
    const qint64 along = across / 2;
    const qint64 coordinate = GetPosCoordinate(position_);
    if (orientation_ == toHorizontal) {
        const qint64 left = coordinate - along / 2, top = (qint64(height()) - across) / 2;
        return EdgeRect(left, top, left + along, top + across);
    }
    const qint64 left = (qint64(width()) - across) / 2;
    const qint64 top = qint64(height()) - coordinate - along / 2;
    return EdgeRect(left, top, left + across, top + along);
}

// Halves round to even. A track without length (a zero step) gives an infinite or undefined
// quotient; that is kept finite before it becomes an integer, so the value lands on an end.
void TSlimTrackBar::GoToPosition(int x, int y) {
    const double step = GetPosStep();
    const bool horizontal = orientation_ == toHorizontal;
    double units = (static_cast<double>(horizontal ? x : y) - padding_) / step;
    if (std::isnan(units)) units = 0;
    const double limit = static_cast<double>(qint64(max_) - min_) + 1;
    const qint64 rounded = static_cast<qint64>(std::nearbyint(std::clamp(units, -limit, limit)));
    const qint64 value = horizontal ? min_ + rounded : max_ - rounded;
    SetPositionWide(std::clamp<qint64>(value, min_, max_));
}

void TSlimTrackBar::Draw3DRect(QPainter& painter, const QColor& c1, const QColor& c2,
                               const QRect& r) {
    const int left = r.left(), top = r.top();
    const int right = Saturate(qint64(r.right()) + 1), bottom = Saturate(qint64(r.bottom()) + 1);
    LineWithoutEnd(painter, c1, QPoint(left, bottom - 1), QPoint(left, top));
    LineWithoutEnd(painter, c1, QPoint(left, top), QPoint(right - 1, top));
    LineWithoutEnd(painter, c2, QPoint(right - 1, top), QPoint(right - 1, bottom - 1));
    LineWithoutEnd(painter, c2, QPoint(right - 1, bottom - 1), QPoint(left, bottom - 1));
}

// The slider and then the track are cut out of the clip as they are drawn, so that the
// background fill at the end paints only what lies around them and nothing flickers.
void TSlimTrackBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QRegion open(rect());
    const QColor background = Color();
    if (sliderVisible_) {
        const QRect slider = GetSliderRect();
        FillArea(painter, slider, background);
        Draw3DRect(painter, HighlightColor(), ShadowColor(), slider);
        open -= slider;
        painter.setClipRegion(open);
    }
    const QRect track = GetTrackLineRect();
    FillArea(painter, track, isEnabled() ? TrackColor() : background);
    if (posHighlight_) FillArea(painter, GetPosHighlightRect(), PosHighlightColor());
    FillArea(painter, GetSelectionRect(), SelectionColor());
    Draw3DRect(painter, ShadowColor(), HighlightColor(), track);
    open -= track;
    painter.setClipRegion(open);
    painter.fillRect(rect(), background);

    if (hasFocus())
        DrawFocusFrame(
            painter, rect().adjusted(focusPadding_, focusPadding_, -focusPadding_, -focusPadding_));
}
