#include "model/sample_line.h"

#include <locale.h>
#include <stdlib.h>

#include <charconv>
#include <cmath>
#include <cstdint>
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

constexpr int kMaxShortDigits = 15;  // below 2^53, so the mantissa is exact

// The value of eight ASCII digits, the first in the lowest byte, in three multiplications.
inline std::uint32_t EightDigits(std::uint64_t chunk) {
    chunk -= 0x3030303030303030ULL;
    chunk = chunk * 10 + (chunk >> 8);
    chunk = (((chunk & 0x000000ff000000ffULL) * (100 + (1000000ULL << 32))) +
             (((chunk >> 16) & 0x000000ff000000ffULL) * (1 + (10000ULL << 32)))) >>
            32;
    return static_cast<std::uint32_t>(chunk);
}

// Reads the run of digits at p, at most eight of them, into value; returns its length. With
// eight bytes left it reads them at once, which spares a branch on every digit.
inline int DigitRun(const char* p, const char* end, std::uint32_t& value) {
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (end - p >= 8) {
        std::uint64_t chunk;
        std::memcpy(&chunk, p, sizeof chunk);
        // A byte's top bit ends up set when it is not a digit: above '9' the addition, below
        // '0' the subtraction, and beyond ASCII the byte itself sets it. Carries and borrows
        // only leave a byte that is not a digit, so the lowest marked byte is the first one.
        const std::uint64_t notDigit =
            (chunk | (chunk + 0x4646464646464646ULL) | (chunk - 0x3030303030303030ULL)) &
            0x8080808080808080ULL;
        const int n = notDigit ? __builtin_ctzll(notDigit) / 8 : 8;
        if (n == 0) {
            value = 0;
            return 0;
        }
        // The run moves to the low-order end of the number, with zeros before it.
        if (n < 8) chunk = (chunk << (64 - 8 * n)) | (0x3030303030303030ULL >> (8 * n));
        value = EightDigits(chunk);
        return n;
    }
#endif
    int n = 0;
    std::uint32_t v = 0;
    for (; n < 8 && p + n < end && IsDigit(p[n]); ++n) v = v * 10 + static_cast<unsigned>(p[n] - '0');
    value = v;
    return n;
}

// Goes on with the digits after a run of eight, one more than fits, so that too many show.
inline void MoreDigits(const char*& q, const char* end, std::uint64_t& mantissa, int& digits) {
    for (; q < end && IsDigit(*q) && digits <= kMaxShortDigits; ++q, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*q - '0');
}

// The common plain decimal ("-1234", "56.25", "-179999.123") whose digits fit a double exactly,
// so with at most 15 digits: one correctly rounded division of two exact doubles gives the double
// nearest the number, and that double rounds to the float nearest the number unless it fell on
// the midpoint of two floats. False leaves the number to the general path.
bool ReadShortDecimal(const char*& p, const char* end, bool negative, float& value) {
    static constexpr double kPowers[kMaxShortDigits + 1] = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    static constexpr std::uint32_t kScales[9] = {1,      10,      100,      1000,     10000,
                                                 100000, 1000000, 10000000, 100000000};
    const char* q = p;
    std::uint32_t run;
    int n = DigitRun(q, end, run);
    std::uint64_t mantissa = run;
    int digits = n, decimals = 0;
    q += n;
    if (n == 8) MoreDigits(q, end, mantissa, digits);
    if (q < end && *q == '.' && digits <= kMaxShortDigits) {
        ++q;
        const int before = digits;
        n = DigitRun(q, end, run);
        if (digits + n > kMaxShortDigits) return false;
        mantissa = mantissa * kScales[n] + run;
        digits += n;
        q += n;
        if (n == 8) MoreDigits(q, end, mantissa, digits);
        decimals = digits - before;
    }
    if (digits == 0 || digits > kMaxShortDigits) return false;
    // Whatever follows must end the number as the scanner sees it.
    if (q < end && (IsDigit(*q) || *q == '.' || Lower(*q) == 'e' || Lower(*q) == 'x')) return false;
    if (decimals == 0) {
        // An exact integer: its conversion is the one rounding.
        const float v = static_cast<float>(mantissa);
        value = negative ? -v : v;
        p = q;
        return true;
    }
    const double exact = static_cast<double>(mantissa) / kPowers[decimals];
    // A double on a midpoint of two floats has its 29 bits below float precision at 1000...0;
    // its second rounding could go the wrong way. (Zero and the small values that the divisions
    // give are all normal floats or zero.)
    std::uint64_t bits;
    std::memcpy(&bits, &exact, sizeof bits);
    if ((bits & 0x1fffffffu) == 0x10000000u) return false;
    const float v = static_cast<float>(exact);
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
    // A NUL ends the line as it ends the C library's string: no field, number or space goes on
    // across one, so the scan stops there by itself.
    const char* p = text;
    const char* end = text + length;
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
