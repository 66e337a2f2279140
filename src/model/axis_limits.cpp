#include "model/axis_limits.h"

#include "model/chart_rules.h"

const tAxisLimits AngleLimits{-360.01, 360.0};
const tAxisLimits TimeWindow{kTimeWindow.lower, kTimeWindow.upper};

tAxisLimits AccLimitsForRange(int b) { return {-10.0 * b - 0.01, 10.0 * b}; }
double AccStepForRange(int b) { return 0.2 * 10.0 * b; }
tAxisLimits GyroLimitsForRange(int b) { return {-double(b) - 0.01, double(b)}; }
double GyroStepForRange(int b) { return 0.2 * b; }
