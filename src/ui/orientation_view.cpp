#include "ui/orientation_view.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

#include "model/orientation.h"

namespace {
const QColor kAxisColours[3] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255)};
const char kAxisNames[3] = {'x', 'y', 'z'};
// The sphere's radius, the axes' length and where their names sit, in parts of the smaller
// side and of the radius; the axes stand out of the sphere so that one behind it still shows.
constexpr double kRadius = 0.3;
constexpr double kAxisLength = 1.3;
constexpr double kNameAt = 1.48;
}  // namespace

TOrientationView::TOrientationView(QWidget* parent) : QWidget(parent) {
    setMinimumSize(80, 80);
    // Every frame covers the whole widget with the still picture, so Qt need not paint the
    // parent's background under it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TOrientationView::SetAngles(double roll, double pitch, double yaw) {
    if (roll == roll_ && pitch == pitch_ && yaw == yaw_) return;
    roll_ = roll;
    pitch_ = pitch;
    yaw_ = yaw;
    update();
}

void TOrientationView::paintEvent(QPaintEvent*) {
    const QColor colour = palette().color(QPalette::Window);
    const qreal ratio = devicePixelRatioF();
    if (still_.size() != size() * ratio || stillColour_ != colour) {
        still_ = QPixmap(size() * ratio);
        still_.setDevicePixelRatio(ratio);
        QPainter still(&still_);
        RenderStill(still, size());
        stillColour_ = colour;
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, still_);
    RenderAxes(painter, size());
}

namespace {
QPointF Centre(const QSize& size) {
    return {size.width() / 2.0, size.height() / 2.0};
}

double Radius(const QSize& size) {
    return kRadius * std::min(size.width(), size.height());
}

// From the centre to where the axis ends, `reach` radii long along its picture.
QPointF AxisReach(const tScreenPoint& end, const QSize& size, double reach) {
    return Centre(size) + QPointF(end.x, end.y) * (Radius(size) * reach);
}
}  // namespace

QPointF TOrientationView::AxisEnd(int axis, const QSize& size) const {
    return AxisReach(ProjectAxes(roll_, pitch_, yaw_).end[axis], size, kAxisLength);
}

void TOrientationView::Render(QPainter& painter, const QSize& size) const {
    RenderStill(painter, size);
    RenderAxes(painter, size);
}

void TOrientationView::RenderStill(QPainter& painter, const QSize& size) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Window));
    const QPointF centre = Centre(size);
    const double radius = Radius(size);

    QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
    shade.setColorAt(0, QColor(250, 250, 250));
    shade.setColorAt(1, QColor(150, 160, 175));
    painter.setPen(QPen(QColor(110, 110, 120), 1));
    painter.setBrush(shade);
    painter.drawEllipse(centre, radius, radius);

    // The ring's far half lies behind the sphere: dashed; its near half solid.
    const double ringHeight = radius * HorizonFlattening();
    const QRectF ring(centre.x() - radius, centre.y() - ringHeight, 2 * radius, 2 * ringHeight);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    painter.drawArc(ring, 0, 180 * 16);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.drawArc(ring, 180 * 16, 180 * 16);
    painter.restore();
}

void TOrientationView::RenderAxes(QPainter& painter, const QSize& size) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QPointF centre = Centre(size);
    const tAxisPicture axes = ProjectAxes(roll_, pitch_, yaw_);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    const QFontMetricsF metrics(font);
    for (const int k : axes.backToFront) {
        painter.setPen(QPen(kAxisColours[k], 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre, AxisReach(axes.end[k], size, kAxisLength));
        const QString name(QLatin1Char(kAxisNames[k]));
        const QPointF at = AxisReach(axes.end[k], size, kNameAt);
        const QSizeF box(metrics.horizontalAdvance(name), metrics.height());
        painter.drawText(QRectF(at - QPointF(box.width() / 2, box.height() / 2), box),
                         Qt::AlignCenter, name);
    }
    painter.restore();
}
