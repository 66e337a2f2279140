#include "model/pulse_values.h"

#include <gtest/gtest.h>

#include <climits>

#include "qt_printers.h"

TEST(PulseNumber, ReadsOnlyTrimmedSignedWholeDecimals) {
    const std::pair<const char*, int> cases[] = {
        {"128", 128},
        {" 100 ", 100},
        {"\t7\t", 7},
        {"+5", 5},
        {"-5", -5},
        {"0", 0},
        {"007", 7},
        {"1.5", -1},
        {"1,5", -1},
        {"abc", -1},
        {"12a", -1},
        {"1 2", -1},
        {"", -1},
        {"   ", -1},
        {"-", -1},
        {"+", -1},
        {"$10", -1},
        {"0x10", -1},
        {"2147483647", INT_MAX},
        {"2147483648", -1},
        {"-2147483648", INT_MIN},
        {"-2147483649", -1},
        {"99999999999999999999", -1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ReadPulseNumber(QString::fromUtf8(text)), value) << text;
    // Digits of another script are not the firmware's digits.
    EXPECT_EQ(ReadPulseNumber(QStringLiteral("\u0661\u0662")), -1);
}
