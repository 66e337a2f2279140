#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// Numbers for the user: a fixed count of decimals, rounded to nearest with halves away from zero,
// at least one integer digit, no digit grouping, and a minus sign only on a value that is not
// written as zero ("-0.001" with two decimals gives "0.00"). The value rounded is the double's
// 15 significant decimal digits, so the halves a user reads round away from zero: 1.005 gives
// "1.01" and -0.365 gives "-0.37", although both doubles lie a hair below those decimals. Values
// that are not finite give "NAN", "INF" or "-INF".

// The decimals of a pattern such as "0" (0), "0.00" (2) or "0.000" (3): the zeros after the
// point.
int PatternDecimals(const QString& pattern);

// The decimal separator is the user's (FormatSettings) unless one is given.
QString FormatFixed(double value, int decimals);
QString FormatFixed(double value, int decimals, QChar separator);

// Appends the same text as single bytes, the separator given as its byte: for files written in
// a single-byte code page.
void AppendFixed(QByteArray& out, double value, int decimals, char separator);
// Writes the same bytes to `out`, which has room for kFixedMaxLength; returns their count.
constexpr int kFixedMaxLength = 344;
int WriteFixed(char* out, double value, int decimals, char separator);

// The same text by the decimal conversion alone, which the functions above fall back on near a
// half: for checking their shortcut against it.
QString FormatFixedGeneral(double value, int decimals, QChar separator);
