// The countdown's arithmetic at its edges; the window's clock tests walk the ordinary ticks.
#include "model/switch_off_countdown.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/settings.h"
#include "qt_printers.h"

namespace {
tSwitchOffSettings Keys(int minutes, int warnSeconds) {
    tSwitchOffSettings s;
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

TEST(SwitchOffCountdown, LargeValuesNeitherWrapNorSwitchOffEarly) {
    const tCountdownStep nearEnd = CountdownTick(INT_MAX, INT_MAX - 100, 300, Keys(INT_MAX, 30));
    EXPECT_EQ(nearEnd.elapsed, INT_MAX);
    EXPECT_FALSE(nearEnd.switchOff);
    EXPECT_GT(nearEnd.remaining, 0);
    EXPECT_TRUE(CountdownTick(INT_MAX, INT_MAX, 300, Keys(5, INT_MAX)).warning);
    // A negative warning span never blinks, also not at the switch-off.
    const tCountdownStep out = CountdownTick(1, 60000, 300, Keys(1, -5));
    EXPECT_TRUE(out.switchOff);
    EXPECT_FALSE(out.warning);
}

TEST(SwitchOffCountdown, TheRemainingTimeIsWrittenAsATimeOfDay) {
    const QString format = QStringLiteral("HH:mm:ss");
    EXPECT_EQ(FormatRemaining(239700, format), QStringLiteral("00:03:59"));
    EXPECT_EQ(FormatRemaining(86400000LL + 61000, format), QStringLiteral("00:01:01"));
    EXPECT_EQ(FormatRemaining(1500, QStringLiteral("HH:mm:ss.zzz")),
              QStringLiteral("00:00:01.500"));
}
