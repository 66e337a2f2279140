#pragma once

#include <QString>
#include <QtGlobal>

class tSettings;

// The keys of the automatic switch-off, read afresh at every clock tick so that a changed
// file takes effect without a restart.
struct tSwitchOffSettings {
    bool enabled = true;       // "CheckOffTimer", default 1
    int switchOffMinutes = 5;  // "SwitchOffTime", default 5
    int warnSeconds = 30;      // "WarnTime", default 30
};

tSwitchOffSettings ReadSwitchOffSettings(const tSettings& settings);

// The outcome of one clock tick for the countdown.
struct tCountdownStep {
    bool counting = false;   // false: switched off in the settings, or no device time
    int elapsed = -1;        // the counter after the tick (unchanged when not counting)
    qint64 remaining = 0;    // milliseconds left, never below 0
    bool switchOff = false;  // the time ran out at this tick
    bool warning = false;    // within the last "WarnTime" seconds: the panel blinks
};

// Adds the timer's interval, not the time that really passed, so a busy window that misses
// ticks switches off later rather than at once. `devTime` is the device time read at connect;
// 0 or less (no device, a failed request, a ball that reports 0) means no countdown.
tCountdownStep CountdownTick(int devTime, int elapsed, int intervalMs,
                             const tSwitchOffSettings& settings);

// The remaining time written like the clock's time of day; whole days are dropped.
QString FormatRemaining(qint64 remainingMs, const QString& longTimeFormat);

// What the countdown panel shows after the tick: the remaining time, or within the warning
// span that time and nothing by turns (`shown` is the panel's present text).
QString CountdownPanelText(const tCountdownStep& step, const QString& shown,
                           const QString& longTimeFormat);
