#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QPainter;

// The ball drawn as a sphere with its body axes (x red, y green, z blue) over the world's
// horizon ring, turned by roll, pitch and yaw (see model/orientation.h for the order). Drawn
// with QPainter alone, so that it shows over remote X and on a virtual screen.
class TOrientationView : public QWidget {
    Q_OBJECT
public:
    explicit TOrientationView(QWidget* parent = nullptr);

    // Angles in degrees; repaints (at the screen's next frame) only when they changed.
    void SetAngles(double roll, double pitch, double yaw);
    double Roll() const { return roll_; }
    double Pitch() const { return pitch_; }
    double Yaw() const { return yaw_; }

    // Draws the picture into a rectangle of this size at the painter's origin.
    void Render(QPainter& painter, const QSize& size) const;
    // Where body axis 0..2 (x, y, z) ends in that picture.
    QPointF AxisEnd(int axis, const QSize& size) const;

    QSize sizeHint() const override { return {150, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // What does not turn with the ball: the window's colour, the sphere and the horizon ring.
    void RenderStill(QPainter& painter, const QSize& size) const;
    // The body axes and their names.
    void RenderAxes(QPainter& painter, const QSize& size) const;

    // RenderStill's picture at the widget's size, drawn once and reused by every frame.
    QPixmap still_;
    QColor stillColour_;
    double roll_ = 0;
    double pitch_ = 0;
    double yaw_ = 0;
};
