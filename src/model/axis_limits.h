#pragma once

// A (minimum, maximum) pair of an axis.
struct tAxisLimits {
    double Min;
    double Max;
    double Width() const { return Max - Min; }
};

// The vertical limits before the ball reported a range, the angle limits and the width of the
// live time window. Acceleration and angular-rate limits follow the ranges each ball reports,
// and so belong to its measurement; the angle limits and the time window never change.
constexpr tAxisLimits kStartAccLimits{-80.01, 80.01};
constexpr tAxisLimits kStartGyroLimits{-2000.1, 2000.1};
extern const tAxisLimits AngleLimits;
extern const tAxisLimits TimeWindow;

// The limits and tick step that a range reply b (> 0) gives: accelerations in g, counted as
// 10 m/s^2 each, and angular rates in degrees per second.
tAxisLimits AccLimitsForRange(int b);
double AccStepForRange(int b);
tAxisLimits GyroLimitsForRange(int b);
double GyroStepForRange(int b);
