// The mouse, keyboard, wheel, enabling and focus handling of the slim track bar.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cstdlib>

#include "controls/slim_track_bar.h"

namespace {

constexpr int WheelNotch = 120;

}  // namespace

void TSlimTrackBar::BeginChange() {
    if (changing_) return;
    changing_ = true;
    Q_EMIT OnBeginChange(this);
}

void TSlimTrackBar::EndChange() {
    if (!changing_) return;
    changing_ = false;
    Q_EMIT OnEndChange(this);
}

// Press, move and release are all accepted: the control holds the mouse while a button is
// down, so a drag goes on outside its bounds and clamps at the ends.
void TSlimTrackBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        BeginChange();
        if (clickFocus_) setFocus(Qt::MouseFocusReason);
        dragging_ = true;
        const QPoint at = event->position().toPoint();
        GoToPosition(at.x(), at.y());
    }
    event->accept();
}

void TSlimTrackBar::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        const QPoint at = event->position().toPoint();
        GoToPosition(at.x(), at.y());
    }
    event->accept();
}

void TSlimTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    dragging_ = false;
    EndChange();
    event->accept();
}

std::optional<qint64> TSlimTrackBar::KeyTarget(int key) const {
    const qint64 position = position_;
    const bool horizontal = orientation_ == toHorizontal;
    switch (key) {
        case Qt::Key_PageUp:
            return horizontal ? position - pageSize_ : position + pageSize_;
        case Qt::Key_PageDown:
            return horizontal ? position + pageSize_ : position - pageSize_;
        case Qt::Key_End:
            return horizontal ? max_ : min_;
        case Qt::Key_Home:
            return horizontal ? min_ : max_;
        case Qt::Key_Left:
            return position - lineSize_;
        case Qt::Key_Right:
            return position + lineSize_;
        case Qt::Key_Up:
            return horizontal ? position - lineSize_ : position + lineSize_;
        case Qt::Key_Down:
            return horizontal ? position + lineSize_ : position - lineSize_;
        default:
            return std::nullopt;
    }
}

// The stepping keys are claimed before the window's shortcuts see them, so that a menu
// shortcut on Home or an arrow cannot take them from a focused bar. Chords with Ctrl, Alt
// or Meta stay with the window.
bool TSlimTrackBar::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto chord = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
        if (!(key->modifiers() & chord) && KeyTarget(key->key())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

// A held key repeats the step; the bracket opened by the first press stays open.
void TSlimTrackBar::keyPressEvent(QKeyEvent* event) {
    const std::optional<qint64> target = KeyTarget(event->key());
    if (!target) {
        QWidget::keyPressEvent(event);
        return;
    }
    BeginChange();
    SetPositionWide(*target);
    event->accept();
}

// Auto-repeat sends a release before every repeated press; only the real release ends the
// interaction, or a held key would report one interaction per repeat.
void TSlimTrackBar::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat()) EndChange();
    QWidget::keyReleaseEvent(event);
}

// The remainder lets fine-grained wheels add up to whole notches. A turn towards the user
// (negative) moves right on a horizontal bar and down on a vertical one.
void TSlimTrackBar::wheelEvent(QWheelEvent* event) {
    wheelRemainder_ += event->angleDelta().y();
    const bool towardsUser = wheelRemainder_ < 0;
    while (std::llabs(wheelRemainder_) >= WheelNotch) {
        wheelRemainder_ += towardsUser ? WheelNotch : -WheelNotch;
        const qint64 step = towardsUser ? lineSize_ : -qint64(lineSize_);
        SetPositionWide(qint64(position_) + ValByOrientation(1, -1) * step);
    }
    event->accept();
}

void TSlimTrackBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

void TSlimTrackBar::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TSlimTrackBar::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}
