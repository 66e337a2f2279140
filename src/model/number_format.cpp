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

// True when the stored value lies exactly halfway between two numbers of `decimals` decimals.
// A half at that place needs exactly decimals + 1 binary fraction digits, so the value times
// 2^(decimals + 1) is then an odd integer (and conversely).
bool IsHalfway(double magnitude, int decimals) {
    const double scaled = std::ldexp(magnitude, decimals + 1);
    return std::isfinite(scaled) && scaled == std::floor(scaled) && std::fmod(scaled, 2.0) == 1.0;
}

// Adds one unit in the last place of a digit string that may contain a point; `text` has one
// spare character before it for a new leading digit. Returns the new start.
char* IncrementDigits(char* text, char* end) {
    for (char* p = end - 1; p >= text; --p) {
        if (*p == '.') continue;
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
    const double magnitude = std::fabs(value);
    char digits[kBufferSize];
    char* start = digits + 1;
    char* end;
    if (IsHalfway(magnitude, decimals)) {
        // The digits one place further are exact and end in 5: drop it and round away.
        end = std::to_chars(start, digits + kBufferSize, magnitude, std::chars_format::fixed,
                            decimals + 1)
                  .ptr;
        --end;
        if (end[-1] == '.') --end;
        start = IncrementDigits(start, end);
    } else {
        end = std::to_chars(start, digits + kBufferSize, magnitude, std::chars_format::fixed,
                            decimals)
                  .ptr;
    }
    const bool zero = std::all_of(start, end, [](char c) { return c == '0' || c == '.'; });
    char* o = out;
    if (std::signbit(value) && !zero) *o++ = '-';
    const auto length = end - start;
    std::memcpy(o, start, static_cast<size_t>(length));
    return static_cast<int>(o - out + length);
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
