#include "model/windows1251.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {
// The upper half, 0x80..0xBF; 0x98 is unassigned. 0xC0..0xFF are А..я in Unicode order.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};
constexpr char16_t kCyrillicA = 0x0410;
constexpr char16_t kCyrillicYa = 0x044F;

using tReverse = std::array<std::pair<char16_t, unsigned char>, 63>;

// The upper half sorted by code point, for the way back.
const tReverse& Reverse() {
    static const tReverse table = [] {
        tReverse t{};
        int n = 0;
        for (int i = 0; i < 64; ++i)
            if (kHigh[i] != 0xFFFD) t[n++] = {kHigh[i], static_cast<unsigned char>(0x80 + i)};
        std::sort(t.begin(), t.end());
        return t;
    }();
    return table;
}
}  // namespace

char EncodeWindows1251(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return static_cast<char>(u);
    if (u >= kCyrillicA && u <= kCyrillicYa) return static_cast<char>(0xC0 + (u - kCyrillicA));
    const tReverse& t = Reverse();
    const auto at = std::lower_bound(t.begin(), t.end(), std::pair<char16_t, unsigned char>{u, 0});
    if (at != t.end() && at->first == u) return static_cast<char>(at->second);
    return '?';
}

QByteArray EncodeWindows1251(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character beyond the basic plane is one unknown character, not two.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        out += EncodeWindows1251(c);
    }
    return out;
}

QString DecodeWindows1251(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const unsigned char u = static_cast<unsigned char>(b);
        if (u < 0x80)
            out += QChar(u);
        else if (u >= 0xC0)
            out += QChar(static_cast<char16_t>(kCyrillicA + (u - 0xC0)));
        else
            out += QChar(kHigh[u - 0x80]);
    }
    return out;
}
