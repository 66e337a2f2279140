#include "model/switch_off_countdown.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/settings.h"
#include "qt_printers.h"

namespace {
const QString kFormat = QStringLiteral("HH:mm:ss");

tSwitchOffSettings Keys(bool enabled, int minutes, int warnSeconds) {
    tSwitchOffSettings s;
    s.enabled = enabled;
    s.switchOffMinutes = minutes;
    s.warnSeconds = warnSeconds;
    return s;
}
}  // namespace

TEST(SwitchOffSettings, TakesTheThreeKeysWithTheirDefaults) {
    tSettings settings;
    tSwitchOffSettings s = ReadSwitchOffSettings(settings);
    EXPECT_TRUE(s.enabled);
    EXPECT_EQ(s.switchOffMinutes, 5);
    EXPECT_EQ(s.warnSeconds, 30);
    settings.SetSettingByName(QStringLiteral("CheckOffTimer"), QStringLiteral("0"));
    settings.SetSettingByName(QStringLiteral("SwitchOffTime"), QStringLiteral("12"));
    settings.SetSettingByName(QStringLiteral("WarnTime"), QStringLiteral("later"));
    s = ReadSwitchOffSettings(settings);
    EXPECT_FALSE(s.enabled);
    EXPECT_EQ(s.switchOffMinutes, 12);
    EXPECT_EQ(s.warnSeconds, 30);
}

TEST(SwitchOffCountdown, CountsOnlyWhenEnabledAndTheDeviceTimeIsAboveZero) {
    for (const int devTime : {0, -1}) {
        const tCountdownStep step = CountdownTick(devTime, devTime, 300, Keys(true, 5, 30));
        EXPECT_FALSE(step.counting);
        EXPECT_EQ(step.elapsed, devTime);
    }
    const tCountdownStep off = CountdownTick(60000, 60000, 300, Keys(false, 0, 30));
    EXPECT_FALSE(off.counting);
    EXPECT_FALSE(off.switchOff);
    EXPECT_EQ(off.elapsed, 60000);
}

TEST(SwitchOffCountdown, AddsTheIntervalAndSwitchesOffOnlyBelowZero) {
    tCountdownStep step = CountdownTick(60000, 60000, 300, Keys(true, 5, 30));
    EXPECT_TRUE(step.counting);
    EXPECT_EQ(step.elapsed, 60300);
    EXPECT_EQ(step.remaining, 239700);
    EXPECT_FALSE(step.warning);
    EXPECT_EQ(FormatRemaining(step.remaining, kFormat), QStringLiteral("00:03:59"));

    step = CountdownTick(1, 59700, 300, Keys(true, 1, 30));
    EXPECT_EQ(step.remaining, 0);
    EXPECT_FALSE(step.switchOff);
    step = CountdownTick(1, 60000, 300, Keys(true, 1, 30));
    EXPECT_TRUE(step.switchOff);
    EXPECT_EQ(step.remaining, 0);
}

TEST(SwitchOffCountdown, WarnsFromExactlyWarnTimeLeft) {
    EXPECT_FALSE(CountdownTick(1, 29400, 300, Keys(true, 1, 30)).warning);  // 30.3 s left
    EXPECT_TRUE(CountdownTick(1, 29700, 300, Keys(true, 1, 30)).warning);   // 30 s left
    // A negative warning span never blinks, also not at the switch-off.
    EXPECT_FALSE(CountdownTick(1, 60000, 300, Keys(true, 1, -5)).warning);
}

TEST(SwitchOffCountdown, LargeValuesNeitherWrapNorSwitchOffEarly) {
    const tCountdownStep nearEnd =
        CountdownTick(INT_MAX, INT_MAX - 100, 300, Keys(true, INT_MAX, 30));
    EXPECT_EQ(nearEnd.elapsed, INT_MAX);
    EXPECT_FALSE(nearEnd.switchOff);
    EXPECT_GT(nearEnd.remaining, 0);
    EXPECT_TRUE(CountdownTick(INT_MAX, INT_MAX, 300, Keys(true, 5, INT_MAX)).warning);
}

TEST(SwitchOffCountdown, ThePanelShowsTheTimeAndBlinksWithinTheWarning) {
    tCountdownStep step;
    step.remaining = 29700;
    step.warning = false;
    EXPECT_EQ(CountdownPanelText(step, QStringLiteral("x"), kFormat), QStringLiteral("00:00:29"));
    step.warning = true;
    EXPECT_EQ(CountdownPanelText(step, QStringLiteral("00:00:30"), kFormat), QString());
    EXPECT_EQ(CountdownPanelText(step, QString(), kFormat), QStringLiteral("00:00:29"));
    // Whole days are dropped, as from a time of day.
    EXPECT_EQ(FormatRemaining(86400000LL + 61000, kFormat), QStringLiteral("00:01:01"));
    EXPECT_EQ(FormatRemaining(1500, QStringLiteral("HH:mm:ss.zzz")),
              QStringLiteral("00:00:01.500"));
}
