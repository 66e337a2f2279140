#include "model/number_format.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

#include "app/format_settings.h"
#include "qt_printers.h"

namespace {
QString Fixed(double value, int decimals) {
    return FormatFixed(value, decimals, u'.');
}

// The C library's conversion is exact but takes exact halves to even; one step further from zero
// a half is no half, and the library then rounds it the way a half must go.
QString LibraryFixed(double value, int decimals) {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const double scaled = std::ldexp(std::fabs(value), decimals + 1);
    if (scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0)
        value = std::nextafter(value, std::copysign(INFINITY, value));
    const locale_t previous = uselocale(c);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    uselocale(previous);
    QString result = QString::fromLatin1(text);
    if (result.startsWith(u'-') && result.count(u'0') + result.count(u'.') == result.size() - 1)
        result.remove(0, 1);
    return result;
}
}  // namespace

TEST(NumberFormat, RoundsTheDecimalValueWithHalvesAwayFromZero) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {
        {0.125, 2, "0.13"},
        {-0.125, 2, "-0.13"},
        {2.5, 0, "3"},
        {-0.5, 0, "-1"},
        {99.5, 0, "100"},
        {1.0625, 3, "1.063"},
        {999.999, 2, "1000.00"},
        // 1.005, 2.675, 9.995 and -0.365 are stored a hair below their spelling, 0.005 and
        // 0.0005 above it; the halves a user reads round away from zero all the same.
        {1.005, 2, "1.01"},
        {2.675, 2, "2.68"},
        {9.995, 2, "10.00"},
        {-0.365, 2, "-0.37"},
        {-365 * 0.001, 2, "-0.37"},
        {0.36499999, 2, "0.36"},
        {0.0049, 2, "0.00"},
        {0.00051, 0, "0"},
        {0.005, 2, "0.01"},
        {0.0005, 3, "0.001"},
        // No minus on a value written as zero.
        {-0.001, 2, "0.00"},
        {-0.0, 2, "0.00"},
        {-0.4, 0, "0"},
        {-0.005, 2, "-0.01"},
        {0.25, 3, "0.250"},
        {1234567.891, 2, "1234567.89"},
        {1e20, 0, "100000000000000000000"},
        {std::nan(""), 2, "NAN"},
        {-INFINITY, 2, "-INF"},
    };
    for (const auto& c : cases) EXPECT_EQ(Fixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(Fixed(std::numeric_limits<double>::max(), 2).size(), 309 + 3);
}

// The value's 15 significant digits, moved a little away from zero so that a decimal half
// becomes a clear "above half" for the C library's exact conversion.
QString DecimalFixed(double value, int decimals) {
    char sci[48];
    std::snprintf(sci, sizeof sci, "%.14e", value);
    const double fifteen = std::strtod(sci, nullptr);
    return LibraryFixed(fifteen * (1 + 4e-16), decimals);
}

TEST(NumberFormat, AgreesWithTheDecimalRoundingOnRandomValues) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> wide(-1e6, 1e6);
    std::uniform_real_distribution<double> narrow(-0.02, 0.02);
    for (int i = 0; i < 20000; ++i) {
        // Every third value is a multiple of 1/1024, so exact halves are frequent.
        const double v = i % 3 == 0   ? std::round(wide(rng)) / 1024
                         : i % 3 == 1 ? narrow(rng)
                                      : wide(rng);
        for (int decimals : {0, 2, 3})
            ASSERT_EQ(Fixed(v, decimals), DecimalFixed(v, decimals)) << v;
    }
}

// The shortcut for values that are far from a half gives the decimal conversion's text: over
// all magnitudes, and next to the halves where it must give up.
TEST(NumberFormat, TheShortcutAgreesWithTheDecimalConversion) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-8, 16);
    std::uniform_int_distribution<int> places(0, 4);
    for (int i = 0; i < 300000; ++i) {
        const int decimals = places(rng);
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (i % 2 == 0) {  // a decimal half, or a double or two beside it
            v = (std::round(v * std::pow(10.0, decimals)) + 0.5) / std::pow(10.0, decimals);
            for (int step = i % 6 / 2; step > 0; --step) v = std::nextafter(v, i % 4 ? 0 : 1e300);
        }
        ASSERT_EQ(FormatFixed(v, decimals, u'.'), FormatFixedGeneral(v, decimals, u'.'))
            << v << " " << decimals;
    }
}

TEST(NumberFormat, UsesTheGivenOrTheUsersSeparator) {
    EXPECT_EQ(PatternDecimals(QStringLiteral("0")), 0);
    EXPECT_EQ(PatternDecimals(QStringLiteral("0.000")), 3);
    EXPECT_EQ(FormatFixed(-4.905, 3, u','), "-4,905");
    const QChar saved = FormatSettings().DecimalSeparator;
    FormatSettings().DecimalSeparator = u',';
    EXPECT_EQ(FormatFixed(0.125, 2), "0,13");
    FormatSettings().DecimalSeparator = saved;
    QByteArray bytes = "x=";
    AppendFixed(bytes, -1.25, 1, ',');
    EXPECT_EQ(bytes, QByteArray("x=-1,3"));
}
