#include "ball_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kCounts = 32768.0;  // one g, or one °/s, on the wire
constexpr double kMaxSpin = 900.0;   // °/s at full power
constexpr double kMaxWobble = 25.0;  // ° at full power
constexpr double kLagSeconds = 0.4;

double Clip(double value, double limit) { return std::max(-limit, std::min(limit, value)); }

double WrapDegrees(double angle) {
    while (angle > 180.0) angle -= 360.0;
    while (angle <= -180.0) angle += 360.0;
    return angle;
}

double Radians(double degrees) { return degrees * kPi / 180.0; }
}  // namespace

tBallModel::tBallModel(unsigned seed, int batteryPercent)
    : random_(seed), battery_(std::max(0, std::min(100, batteryPercent))) {
    for (double& offset : accOffset_) offset = 0.01 * noise_(random_);
}

void tBallModel::SetMotor(int power, int durationMs) {
    power = std::max(0, std::min(255, power));
    if (durationMs <= 0) {
        basePower_ = power;
        impulseEndMs_ = -1;
    } else {
        impulsePower_ = power;
        impulseEndMs_ = timeMs_ + durationMs;
    }
}

double tBallModel::Power() const {
    return impulseEndMs_ > timeMs_ ? impulsePower_ : basePower_;
}

void tBallModel::Calibrate() {
    yaw_ = 0;
    gyroDrift_ = 0;
}

void tBallModel::CalibrateAcc() {
    for (double& offset : accOffset_) offset = 0;
}

int tBallModel::SetAccRange(int index) {
    static const int scales[] = {16, 8, 4, 2};
    if (index < 0 || index > 3) return 0;
    return accScale_ = scales[index];
}

int tBallModel::SetGyroRange(int index) {
    static const int scales[] = {2000, 1000, 500, 250, 125};
    if (index < 0 || index > 4) return 0;
    return gyroScale_ = scales[index];
}

void tBallModel::Idle(long long ms) {
    timeMs_ += ms;
    battery_ = std::max(0.0, battery_ - ms / 240000.0);
}

void tBallModel::Step(double dt) {
    const double power = Power() / 255.0;
    spinRate_ += (power * kMaxSpin - spinRate_) * dt / kLagSeconds;
    wobble_ += (power * kMaxWobble - wobble_) * dt / kLagSeconds;
    phase_ += 2 * kPi * (0.5 + 1.5 * power) * dt;
    gyroDrift_ += 0.02 * noise_(random_) * std::sqrt(dt);

    restRoll_ = 0.999 * restRoll_ + 0.02 * noise_(random_);
    restPitch_ = 0.999 * restPitch_ + 0.02 * noise_(random_);
    const double newRoll = wobble_ * std::sin(phase_) + restRoll_;
    const double newPitch = 0.7 * wobble_ * std::cos(phase_) + restPitch_;
    rateX_ = (newRoll - roll_) / dt + 0.2 * noise_(random_);
    rateY_ = (newPitch - pitch_) / dt + 0.2 * noise_(random_);
    roll_ = newRoll;
    pitch_ = newPitch;
    yaw_ = WrapDegrees(yaw_ + (spinRate_ + gyroDrift_) * dt);
    battery_ = std::max(0.0, battery_ - dt * (1.0 / 120.0 + power / 20.0));
}

std::string tBallModel::NextLine() {
    timeMs_ += kSampleMs;
    Step(kSampleMs / 1000.0);
    const double r = Radians(roll_), p = Radians(pitch_);
    const double accLimit = accScale_ * kCounts, gyroLimit = gyroScale_ * kCounts;
    const double ax = Clip((-std::sin(p) + accOffset_[0] + 0.004 * noise_(random_)) * kCounts, accLimit);
    const double ay =
        Clip((std::sin(r) * std::cos(p) + accOffset_[1] + 0.004 * noise_(random_)) * kCounts, accLimit);
    const double az =
        Clip((std::cos(r) * std::cos(p) + accOffset_[2] + 0.004 * noise_(random_)) * kCounts, accLimit);
    const double gx = Clip(rateX_ * kCounts, gyroLimit);
    const double gy = Clip(rateY_ * kCounts, gyroLimit);
    const double gz = Clip((spinRate_ + gyroDrift_) * kCounts, gyroLimit);

    char line[256];
    const int n = std::snprintf(
        line, sizeof line,
        "ax:%.0f\tay:%.0f\taz:%.0f\tgx:%.0f\tgy:%.0f\tgz:%.0f\tr:%.0f\tp:%.0f\ty:%.0f\ttt:%lld\tb:%d\r\n",
        ax, ay, az, gx, gy, gz, roll_ * 1000, pitch_ * 1000, yaw_ * 1000, timeMs_, Battery());
    return std::string(line, static_cast<size_t>(std::max(0, n)));
}
