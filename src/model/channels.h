#pragma once

#include <QString>

// The nine measured channels, in channel order: ax, ay, az (m/s²), wx, wy, wz (°/s),
// фx, фy, фz (°).
constexpr int kChannelCount = 9;

// The short names of the channels, in channel order; the language set-up may refill them.
extern QString ChannelNames[kChannelCount];
void RestoreBuiltInChannelNames();
// The channel's short name before any language refilled the table.
QString BuiltInChannelName(int channel);

// The physical value of a raw field: accelerations arrive in 1/32768 g (counted as 9.81 m/s²),
// angular rates in 1/32768 °/s, angles in millidegrees.
double ScaleRawValue(int channel, float raw);

// The ball's time stamp (ms) in seconds, kept as a 32-bit float like the stamp itself.
float ScaleTime(float tt);

// The key of the channel's row in the value table, e.g. "ax, м/с^2".
QString ChannelRowKey(int channel);

// Decimals of the channel's row in the value table: two for accelerations and rates, none for
// angles ("0.00" and "0").
int ChannelRowDecimals(int channel);

// The time rows of the value table, written by the chart cursor.
QString TimeOriginRowKey();  // "t0, c"
QString TimeRowKey();        // "t, c"
QString TimeSpanRowKey();    // "dt, c"
