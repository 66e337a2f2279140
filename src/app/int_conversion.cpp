#include "app/int_conversion.h"

std::optional<int32_t> TryStrToInt(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && text[i] == u' ') ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && text[i] == u'$') {
        hex = true;
        ++i;
    } else if (i < n && (text[i] == u'x' || text[i] == u'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    uint64_t value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (hex && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (hex && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        const auto bits = static_cast<uint32_t>(value);
        const auto signedValue = static_cast<int32_t>(bits);
        // Negating INT32_MIN stays INT32_MIN, as 32-bit arithmetic does.
        return negative ? static_cast<int32_t>(0u - bits) : signedValue;
    }
    if (negative) {
        if (value > 2147483648ull) return std::nullopt;
        return static_cast<int32_t>(-static_cast<int64_t>(value));
    }
    if (value > 2147483647ull) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t StrToIntDef(const QString& text, int32_t defaultValue) {
    const auto v = TryStrToInt(text);
    return v ? *v : defaultValue;
}
