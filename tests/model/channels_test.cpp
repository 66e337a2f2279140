#include "model/channels.h"

#include <gtest/gtest.h>

TEST(Channels, TheAngleNamesStartCyrillicAndALanguageCanRefillTheTable) {
    EXPECT_EQ(ChannelNames[6], QStringLiteral("\u0444x"));  // Cyrillic, then Latin
    ChannelNames[6] = QStringLiteral("phi x");
    EXPECT_EQ(BuiltInChannelName(6), QStringLiteral("\u0444x"));
    RestoreBuiltInChannelNames();
    EXPECT_EQ(ChannelNames[6], QStringLiteral("\u0444x"));
    EXPECT_EQ(BuiltInChannelName(kChannelCount), QString());
}
