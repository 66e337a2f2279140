#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "app/format_settings.h"
#include "model/number_format.h"
#include "qt_printers.h"

namespace {
QString Fixed(double value, int decimals) { return FormatFixed(value, decimals, u'.'); }
}  // namespace

TEST(NumberFormat, ReadsTheDecimalsOfAPattern) {
    EXPECT_EQ(PatternDecimals(QStringLiteral("0")), 0);
    EXPECT_EQ(PatternDecimals(QStringLiteral("0.00")), 2);
    EXPECT_EQ(PatternDecimals(QStringLiteral("0.000")), 3);
}

TEST(NumberFormat, RoundsExactHalvesAwayFromZero) {
    EXPECT_EQ(Fixed(0.125, 2), "0.13");
    EXPECT_EQ(Fixed(-0.125, 2), "-0.13");
    EXPECT_EQ(Fixed(0.375, 2), "0.38");
    EXPECT_EQ(Fixed(2.5, 0), "3");
    EXPECT_EQ(Fixed(0.5, 0), "1");
    EXPECT_EQ(Fixed(-0.5, 0), "-1");
    EXPECT_EQ(Fixed(1.0625, 3), "1.063");
    EXPECT_EQ(Fixed(9.995, 2), "9.99");  // stored below the half
    EXPECT_EQ(Fixed(99.5, 0), "100");
    EXPECT_EQ(Fixed(-9.5, 0), "-10");
    EXPECT_EQ(Fixed(0.0005, 3), "0.001");  // stored a little above the half
}

TEST(NumberFormat, RoundsTheStoredBinaryValue) {
    // 1.005 and 2.675 are stored below their decimal spelling, 0.005 above it.
    EXPECT_EQ(Fixed(1.005, 2), "1.00");
    EXPECT_EQ(Fixed(2.675, 2), "2.67");
    EXPECT_EQ(Fixed(0.005, 2), "0.01");
    EXPECT_EQ(Fixed(0.1 + 0.2, 2), "0.30");
    EXPECT_EQ(Fixed(9.81, 2), "9.81");
    EXPECT_EQ(Fixed(1.5, 3), "1.500");
}

TEST(NumberFormat, WritesNoMinusOnAValueThatRoundsToZero) {
    EXPECT_EQ(Fixed(-0.001, 2), "0.00");
    EXPECT_EQ(Fixed(-0.0, 2), "0.00");
    EXPECT_EQ(Fixed(-0.4, 0), "0");
    EXPECT_EQ(Fixed(-0.0004, 3), "0.000");
    EXPECT_EQ(Fixed(-0.005, 2), "-0.01");  // stored just above the half
    EXPECT_EQ(Fixed(-0.0049, 2), "0.00");
}

TEST(NumberFormat, WritesAtLeastOneIntegerDigitAndNoGrouping) {
    EXPECT_EQ(Fixed(0.25, 3), "0.250");
    EXPECT_EQ(Fixed(-0.75, 2), "-0.75");
    EXPECT_EQ(Fixed(1234567.891, 2), "1234567.89");
    EXPECT_EQ(Fixed(999.999, 2), "1000.00");
    EXPECT_EQ(Fixed(-360.0, 0), "-360");
    EXPECT_EQ(Fixed(1e20, 0), "100000000000000000000");
    EXPECT_EQ(Fixed(std::numeric_limits<double>::max(), 2).size(), 309 + 3);
}

TEST(NumberFormat, UsesTheGivenOrTheUsersSeparator) {
    EXPECT_EQ(FormatFixed(-4.905, 3, u','), "-4,905");
    EXPECT_EQ(FormatFixed(3.0, 0, u','), "3");
    const QChar saved = FormatSettings().DecimalSeparator;
    FormatSettings().DecimalSeparator = u',';
    EXPECT_EQ(FormatFixed(0.125, 2), "0,13");
    FormatSettings().DecimalSeparator = saved;

    QByteArray bytes = "x=";
    AppendFixed(bytes, -1.25, 1, ',');
    EXPECT_EQ(bytes, QByteArray("x=-1,3"));
}

TEST(NumberFormat, NamesValuesThatAreNotFinite) {
    EXPECT_EQ(Fixed(std::nan(""), 2), "NAN");
    EXPECT_EQ(Fixed(-INFINITY, 2), "-INF");
    EXPECT_EQ(Fixed(INFINITY, 0), "INF");
}

// The C library's conversion is exact but rounds exact halves to even; a value one step further
// from zero than a half is no half, so the library rounds it the way a half must go.
QString LibraryFixed(double value, int decimals) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(c);
    const double scaled = std::ldexp(std::fabs(value), decimals + 1);
    const bool half = scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0;
    if (half) value = std::nextafter(value, std::copysign(INFINITY, value));
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    uselocale(previous);
    QString result = QString::fromLatin1(text);
    if (result.startsWith(u'-') && result.count(u'0') + result.count(u'.') == result.size() - 1)
        result.remove(0, 1);
    return result;
}

TEST(NumberFormat, AgreesWithTheExactConversionOnRandomValues) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    std::uniform_real_distribution<double> narrow(-0.02, 0.02);
    for (int i = 0; i < 20000; ++i) {
        // Every fourth value is a multiple of 1/1024, so exact halves are frequent.
        const double v = i % 4 == 0 ? std::round(wide(rng)) / 1024 : i % 4 == 1 ? narrow(rng) : wide(rng);
        for (int decimals : {0, 2, 3}) ASSERT_EQ(Fixed(v, decimals), LibraryFixed(v, decimals)) << v;
    }
}
