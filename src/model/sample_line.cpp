#include "model/sample_line.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr const char* kFieldNames[] = {
    "ax:", "ay:", "az:", "gx:", "gy:", "gz:", "r:", "p:", "y:", "tt:", "b:"};
constexpr int kFieldCount = sizeof(kFieldNames) / sizeof(kFieldNames[0]);

// The C locale's white space; the scanning rules of the line do not follow the user's locale.
inline bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}
inline bool IsHexDigit(char c) {
    return IsDigit(c) || static_cast<unsigned char>((c | 0x20) - 'a') < 6;
}
inline char Lower(char c) {
    return static_cast<char>(c | 0x20);
}

inline void SkipSpace(const char*& p, const char* end) {
    while (p < end && IsSpace(*p)) ++p;
}

inline bool MatchLiteral(const char*& p, const char* end, const char* literal) {
    for (; *literal; ++literal, ++p)
        if (p == end || *p != *literal) return false;
    return true;
}

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

// Converts the characters that the scan took for a number the way the C library does: the
// longest prefix that forms a number counts, the rest was consumed all the same.
bool ConvertFloat(const char* start, const char* digits, const char* end, bool hex, float& value) {
    float v = 0;
    const std::from_chars_result r =
        hex ? std::from_chars(digits + 2, end, v, std::chars_format::hex)
            : std::from_chars(digits, end, v);
    // "0x" without a hexadecimal digit before the exponent is read as the "0" alone; v is
    // still 0 then.
    if (r.ec == std::errc::invalid_argument && !hex) return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Rare: let the C library tell a denormal or zero from an overflow.
        const std::string copy(start, end);
        value = strtof_l(copy.c_str(), nullptr, CLocale());
        return std::isfinite(value);
    }
    value = *start == '-' ? -v : v;
    return true;
}

// The common plain decimal ("-1234", "56.25") whose digits fit a float exactly, with at most ten
// decimals: one correctly rounded division gives the correctly rounded value. False leaves the
// number to the general path.
bool ReadShortDecimal(const char*& p, const char* end, bool negative, float& value) {
    static constexpr float kPowers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                        1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const char* q = p;
    std::uint32_t mantissa = 0;
    int digits = 0, decimals = 0;
    for (; q < end && IsDigit(*q) && digits < 9; ++q, ++digits)
        mantissa = mantissa * 10 + (*q - '0');
    if (q < end && *q == '.') {
        for (++q; q < end && IsDigit(*q) && digits < 9; ++q, ++digits, ++decimals)
            mantissa = mantissa * 10 + (*q - '0');
    }
    if (digits == 0 || mantissa > (1u << 24) || decimals > 10) return false;
    // Whatever follows must end the number as the scanner sees it.
    if (q < end && (IsDigit(*q) || *q == '.' || Lower(*q) == 'e' || Lower(*q) == 'x')) return false;
    const float v = static_cast<float>(mantissa) / kPowers[decimals];
    value = negative ? -v : v;
    p = q;
    return true;
}

// One "%f" conversion, taking exactly the characters that the C library's scanner takes.
bool ReadFloat(const char*& p, const char* end, float& value) {
    SkipSpace(p, end);
    if (p == end) return false;
    const char* start = p;
    const bool sign = *p == '+' || *p == '-';
    if (sign && ++p == end) return false;
    if (ReadShortDecimal(p, end, *start == '-', value)) return true;
    // "nan" and "inf" are either not numbers or not finite: the line is rejected either way.
    if (Lower(*p) == 'n' || Lower(*p) == 'i') return false;
    const char* digits = p;

    bool hex = false, gotDigit = false, gotDot = false, gotExp = false;
    char expChar = 'e';
    if (*p == '0') {
        ++p;
        if (p < end && Lower(*p) == 'x') {
            hex = true;
            expChar = 'p';
            ++p;
        } else {
            gotDigit = true;
        }
    }
    for (; p < end; ++p) {
        const char c = *p;
        if (IsDigit(c) || (hex && !gotExp && IsHexDigit(c)))
            gotDigit = true;
        else if (gotExp && Lower(p[-1]) == expChar && (c == '-' || c == '+'))
            continue;
        else if (gotDigit && !gotExp && Lower(c) == expChar)
            gotExp = gotDot = true;
        else if (!gotDot && c == '.')
            gotDot = true;
        else
            break;
    }
    const long taken = p - start;
    if (taken == (sign ? 1 : 0) || (hex && taken == (sign ? 3 : 2))) return false;
    return ConvertFloat(start, digits, p, hex, value);
}

// One "%d" conversion: the C library reads a long (saturating) and keeps its low 32 bits.
bool ReadInt(const char*& p, const char* end, std::int32_t& value) {
    SkipSpace(p, end);
    if (p == end) return false;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (p == end || !IsDigit(*p)) return false;
    constexpr std::uint64_t kLongMax = 0x7fffffffffffffffULL;
    std::uint64_t magnitude = 0;
    bool saturated = false;
    for (; p < end && IsDigit(*p); ++p) {
        const unsigned digit = static_cast<unsigned>(*p - '0');
        if (magnitude > (kLongMax - digit) / 10)
            saturated = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    std::uint64_t bits;
    if (saturated)
        bits = negative ? kLongMax + 1 : kLongMax;
    else
        bits = negative ? 0 - magnitude : magnitude;
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
    return true;
}

}  // namespace

bool ParseSampleLine(const char* text, int length, tSampleFields& out) {
    if (length < 0) return false;
    const char* p = text;
    const void* nul = std::memchr(text, 0, static_cast<size_t>(length));
    const char* end = nul ? static_cast<const char*>(nul) : text + length;
    for (int field = 0; field < kFieldCount; ++field) {
        if (field > 0) SkipSpace(p, end);
        if (!MatchLiteral(p, end, kFieldNames[field])) return false;
        if (field < tSampleFields::kRawCount) {
            if (!ReadFloat(p, end, out.raw[field])) return false;
        } else if (field == tSampleFields::kRawCount) {
            if (!ReadFloat(p, end, out.tt)) return false;
        } else if (!ReadInt(p, end, out.b)) {
            return false;
        }
    }
    return true;
}
