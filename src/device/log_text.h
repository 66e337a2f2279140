#pragma once

#include <QByteArray>
#include <QString>

// Every byte as "0x" and two upper-case hexadecimal digits, each item followed by `separator`.
QByteArray HexBytes(const char* data, int count, const char* separator);

// `pattern` with its first "%s" replaced by `first` and the next by `second` (the form of the
// numbered error texts).
QString FormatPercentS(const QString& pattern, const QString& first, const QString& second);
