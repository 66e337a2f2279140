#include <gtest/gtest.h>

#include "app/int_conversion.h"

TEST(IntConversion, AcceptsDecimalWithLeadingBlanksAndSign) {
    EXPECT_EQ(StrToIntDef("7", -1), 7);
    EXPECT_EQ(StrToIntDef("  7", -1), 7);
    EXPECT_EQ(StrToIntDef("-3", 0), -3);
    EXPECT_EQ(StrToIntDef("+12", 0), 12);
    EXPECT_EQ(StrToIntDef(" -0", 5), 0);
    EXPECT_EQ(StrToIntDef("2147483647", 0), 2147483647);
    EXPECT_EQ(StrToIntDef("-2147483648", 0), INT32_MIN);
}

TEST(IntConversion, AcceptsEveryHexadecimalPrefix) {
    EXPECT_EQ(StrToIntDef("$1F", 0), 31);
    EXPECT_EQ(StrToIntDef("x1f", 0), 31);
    EXPECT_EQ(StrToIntDef("X1F", 0), 31);
    EXPECT_EQ(StrToIntDef("0x10", 0), 16);
    EXPECT_EQ(StrToIntDef("0X10", 0), 16);
    EXPECT_EQ(StrToIntDef("-$10", 0), -16);
    EXPECT_EQ(StrToIntDef("$FFFFFFFF", 0), -1);
}

TEST(IntConversion, GivesTheDefaultForAnythingElse) {
    for (const char* text : {"", " ", "7 ", "7x", "abc", "+", "-", "$", "0x", "1.5", "1e3",
                             "2147483648", "-2147483649", "$100000000", "\t7", "٣"})
        EXPECT_EQ(StrToIntDef(QString::fromUtf8(text), 42), 42) << text;
}
