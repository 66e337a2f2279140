#include "model/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "app/format_settings.h"

namespace {
constexpr int kMaxDecimals = 20;
// Room for the 309 integer digits of the largest double, the point, the decimals, a sign and a
// carry.
constexpr int kBufferSize = 340;
static_assert(kBufferSize + 4 <= kFixedMaxLength);

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

// The general conversion: writes the text with '.' as the separator; returns its length.
int FormatGeneral(double value, int decimals, char* out) {
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

constexpr double kPowersOfTen[kMaxDecimals + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,
                                                   1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13,
                                                   1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20};

// The values an export writes by the million, without the decimal conversion: |value| *
// 10^decimals is rounded as a double. Its 15 significant digits differ from the value by less
// than 5e-15 of it, and the product by a rounding error far below that, so both round to the same
// whole number unless the product lies that close to a half; then, and for products of 10^13 and
// more (where the 15 digits reach into the whole number), this gives up with -1.
int FormatQuick(double value, int decimals, char* out) {
    const double scaled = std::fabs(value) * kPowersOfTen[decimals];
    if (!(scaled < 1e13)) return -1;  // also NaN and infinities
    const double whole = std::floor(scaled);
    const double fraction = scaled - whole;  // exact below 2^52
    if (std::fabs(fraction - 0.5) <= scaled * 1e-14) return -1;
    std::uint64_t digits = static_cast<std::uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);

    // The digits from the right: the decimals, the point, at least one integer digit.
    char text[32];
    char* p = text + sizeof text;
    const bool negative = std::signbit(value) && digits != 0;
    for (int i = 0; i < decimals; ++i, digits /= 10) *--p = static_cast<char>('0' + digits % 10);
    if (decimals > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + digits % 10);
        digits /= 10;
    } while (digits != 0);
    if (negative) *--p = '-';
    const auto length = text + sizeof text - p;
    std::memcpy(out, p, static_cast<size_t>(length));
    return static_cast<int>(length);
}

// Writes the text with '.' as the separator; returns its length.
int FormatAscii(double value, int decimals, char* out) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    const int length = FormatQuick(value, decimals, out);
    return length >= 0 ? length : FormatGeneral(value, decimals, out);
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
    char text[kFixedMaxLength];
    out.append(text, WriteFixed(text, value, decimals, separator));
}

int WriteFixed(char* out, double value, int decimals, char separator) {
    const int length = FormatAscii(value, decimals, out);
    if (separator != '.') std::replace(out, out + length, '.', separator);
    return length;
}

QString FormatFixedGeneral(double value, int decimals, QChar separator) {
    char text[kBufferSize + 4];
    const int length = FormatGeneral(value, std::clamp(decimals, 0, kMaxDecimals), text);
    QString result = QString::fromLatin1(text, length);
    if (separator != u'.') result.replace(u'.', separator);
    return result;
}
