#pragma once

// A (minimum, maximum) pair of an axis.
struct tAxisLimits {
    double Min;
    double Max;
    double Width() const { return Max - Min; }
};

// The process-wide vertical limits of the three kinds of axes and the width of the live time
// window. Acceleration and angular-rate limits follow the ranges the ball reports; the angle
// limits and the time window never change.
extern tAxisLimits AccLimits;
extern tAxisLimits GyroLimits;
extern const tAxisLimits AngleLimits;
extern const tAxisLimits TimeWindow;

// The limits and tick step that a range reply b (> 0) gives: accelerations in g, counted as
// 10 m/s^2 each, and angular rates in degrees per second.
tAxisLimits AccLimitsForRange(int b);
double AccStepForRange(int b);
tAxisLimits GyroLimitsForRange(int b);
double GyroStepForRange(int b);
