#include "model/orientation.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kViewAzimuth = 35.0;  // degrees, from +X towards +Y
constexpr double kViewElevation = 20.0;

double Radians(double degrees) {
    return degrees * kPi / 180.0;
}

double Dot(const tVec3& a, const tVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// The viewer's frame in world coordinates: right, up and towards the viewer.
struct tView {
    tVec3 right, up, toViewer;
};

tView MakeView() {
    const double a = Radians(kViewAzimuth), e = Radians(kViewElevation);
    tView v;
    v.toViewer = {std::cos(e) * std::cos(a), std::cos(e) * std::sin(a), std::sin(e)};
    v.right = {-std::sin(a), std::cos(a), 0};
    // up = toViewer × right, which is perpendicular to both and points to world +Z.
    const tVec3& d = v.toViewer;
    const tVec3& r = v.right;
    v.up = {d.y * r.z - d.z * r.y, d.z * r.x - d.x * r.z, d.x * r.y - d.y * r.x};
    return v;
}

const tView& View() {
    static const tView view = MakeView();
    return view;
}
}  // namespace

tVec3 tRotation::Apply(const tVec3& v) const {
    return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
            m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
            m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
}

tRotation BodyRotation(double roll, double pitch, double yaw) {
    const double cr = std::cos(Radians(roll)), sr = std::sin(Radians(roll));
    const double cp = std::cos(Radians(pitch)), sp = std::sin(Radians(pitch));
    const double cy = std::cos(Radians(yaw)), sy = std::sin(Radians(yaw));
    tRotation r;
    r.m[0][0] = cy * cp;
    r.m[0][1] = cy * sp * sr - sy * cr;
    r.m[0][2] = cy * sp * cr + sy * sr;
    r.m[1][0] = sy * cp;
    r.m[1][1] = sy * sp * sr + cy * cr;
    r.m[1][2] = sy * sp * cr - cy * sr;
    r.m[2][0] = -sp;
    r.m[2][1] = cp * sr;
    r.m[2][2] = cp * cr;
    return r;
}

tScreenPoint ProjectToScreen(const tVec3& world) {
    const tView& v = View();
    return {Dot(world, v.right), -Dot(world, v.up), Dot(world, v.toViewer)};
}

double HorizonFlattening() {
    return std::sin(Radians(kViewElevation));
}

tAxisPicture ProjectAxes(double roll, double pitch, double yaw) {
    const tRotation r = BodyRotation(roll, pitch, yaw);
    tAxisPicture picture;
    for (int k = 0; k < 3; ++k) picture.end[k] = ProjectToScreen(r.Axis(k));
    std::sort(std::begin(picture.backToFront), std::end(picture.backToFront),
              [&picture](int a, int b) { return picture.end[a].depth < picture.end[b].depth; });
    return picture;
}
