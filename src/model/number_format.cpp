#include "model/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "app/format_settings.h"

namespace {
constexpr int kMaxDecimals = 20;
// Room for the 309 integer digits of the largest double, the point, the decimals, a sign and a
// carry.
constexpr int kBufferSize = 340;

// The significant digits that the rounding works on. Rounding the double's exact binary value
// would turn the decimal halves a user reads (-0.365, 1.005) downwards whenever the double lies
// a hair below them; 15 digits are as many as a double always holds faithfully.
constexpr int kSignificantDigits = 15;

// Adds one to a string of decimal digits; `text` has a spare character before it for a new
// leading digit. Returns the new start.
char* IncrementDigits(char* text, char* end) {
    for (char* p = end - 1; p >= text; --p) {
        if (*p != '9') {
            ++*p;
            return text;
        }
        *p = '0';
    }
    *--text = '1';
    return text;
}

// Writes the text with '.' as the separator; returns its length.
int FormatAscii(double value, int decimals, char* out) {
    if (std::isnan(value)) return static_cast<int>(std::strlen(std::strcpy(out, "NAN")));
    if (std::isinf(value))
        return static_cast<int>(std::strlen(std::strcpy(out, value < 0 ? "-INF" : "INF")));
    decimals = std::clamp(decimals, 0, kMaxDecimals);

    // d.dddddddddddddde±x: the value is 0.d1..d15 times 10^(x + 1).
    char sci[48];
    const char* sciEnd = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                       std::chars_format::scientific, kSignificantDigits - 1)
                             .ptr;
    char significant[kSignificantDigits];
    significant[0] = sci[0];
    std::memcpy(significant + 1, sci + 2, kSignificantDigits - 1);
    const char* e = std::find(static_cast<const char*>(sci), sciEnd, 'e');
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), sciEnd, exponent);

    // The digits of the result without its point: round(|value| * 10^decimals).
    // Room on the left for a carry and for the zeros before small values' decimals.
    char digits[kMaxDecimals + 2 + kBufferSize];
    char* start = digits + kMaxDecimals + 2;
    char* end = start;
    const int keep = exponent + 1 + decimals;
    bool roundUp = false;
    if (keep >= kSignificantDigits) {
        end = std::copy(significant, significant + kSignificantDigits, end);
        end = std::fill_n(end, keep - kSignificantDigits, '0');
    } else if (keep >= 0) {
        end = std::copy(significant, significant + keep, end);
        roundUp = significant[keep] >= '5';  // halves go away from zero
    }
    if (roundUp) start = IncrementDigits(start, end);
    // At least one integer digit before the decimals.
    while (end - start < decimals + 1) *--start = '0';

    const bool zero = std::all_of(start, end, [](char c) { return c == '0'; });
    char* o = out;
    if (std::signbit(value) && !zero) *o++ = '-';
    const auto integerDigits = (end - start) - decimals;
    o = std::copy(start, start + integerDigits, o);
    if (decimals > 0) {
        *o++ = '.';
        o = std::copy(start + integerDigits, end, o);
    }
    return static_cast<int>(o - out);
}
}  // namespace

int PatternDecimals(const QString& pattern) {
    const int point = pattern.indexOf(u'.');
    return point < 0 ? 0 : static_cast<int>(pattern.size() - point - 1);
}

QString FormatFixed(double value, int decimals) {
    return FormatFixed(value, decimals, FormatSettings().DecimalSeparator);
}

QString FormatFixed(double value, int decimals, QChar separator) {
    char text[kBufferSize + 4];
    const int length = FormatAscii(value, decimals, text);
    QString result = QString::fromLatin1(text, length);
    if (separator != u'.') result.replace(u'.', separator);
    return result;
}

void AppendFixed(QByteArray& out, double value, int decimals, char separator) {
    char text[kBufferSize + 4];
    const int length = FormatAscii(value, decimals, text);
    if (separator != '.') std::replace(text, text + length, '.', separator);
    out.append(text, length);
}
