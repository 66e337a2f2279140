#pragma once

// The picture of the ball's orientation, without widgets.
//
// The three angles turn the body as roll φx about X, pitch φy about Y and yaw φz about Z,
// applied in that order to the body (so yaw acts last, about the world's vertical):
// R = Rz(yaw) · Ry(pitch) · Rx(roll). R's columns are the body axes in world coordinates.
//
// The world is seen from a fixed point in front, to the right and 20° above, so that at rest
// (all angles 0) the x axis points to the lower left, y to the lower right and z straight up,
// and none of them points at the viewer.

struct tVec3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

struct tRotation {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    tVec3 Apply(const tVec3& v) const;
    // Body axis 0..2 (x, y, z) in world coordinates.
    tVec3 Axis(int axis) const { return {m[0][axis], m[1][axis], m[2][axis]}; }
};

// Angles in degrees.
tRotation BodyRotation(double roll, double pitch, double yaw);

// A world point on the screen, in units of the sphere's radius around the sphere's centre:
// x to the right, y downwards (as on the screen), depth towards the viewer.
struct tScreenPoint {
    double x = 0;
    double y = 0;
    double depth = 0;
};

tScreenPoint ProjectToScreen(const tVec3& world);

// The horizon ring is the world's horizontal great circle: an ellipse as wide as the sphere
// whose height, relative to its width, is the sine of the view's elevation.
double HorizonFlattening();

// The ends of the body axes x, y, z on the screen for these angles.
struct tAxisPicture {
    tScreenPoint end[3];
    // The axes from the farthest to the nearest, to draw them in that order.
    int backToFront[3] = {0, 1, 2};
};

tAxisPicture ProjectAxes(double roll, double pitch, double yaw);
