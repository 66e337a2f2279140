#include "device/log_text.h"

#include <cstring>

QByteArray HexBytes(const char* data, int count, const char* separator) {
    static const char digits[] = "0123456789ABCDEF";
    const int separatorLength = static_cast<int>(std::strlen(separator));
    QByteArray text;
    text.reserve(count * (4 + separatorLength));
    for (int i = 0; i < count; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        text += "0x";
        text += digits[b >> 4];
        text += digits[b & 15];
        text.append(separator, separatorLength);
    }
    return text;
}

QString FormatPercentS(const QString& pattern, const QString& first, const QString& second) {
    QString result;
    int from = 0;
    int used = 0;
    for (int at = pattern.indexOf(QLatin1String("%s")); at >= 0 && used < 2;
         at = pattern.indexOf(QLatin1String("%s"), from)) {
        result += QStringView(pattern).mid(from, at - from);
        result += used++ == 0 ? first : second;
        from = at + 2;
    }
    result += QStringView(pattern).mid(from);
    return result;
}
