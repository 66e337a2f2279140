#pragma once

#include <QDateTime>
#include <QString>

// The program-wide date and time formats, filled from the user's regional settings at start.
// The log extends LongTimeFormat with ".zzz" while it is on, so every time shown in the long
// format carries milliseconds then.
struct tFormatSettings {
    QString ShortDateFormat;
    QString LongTimeFormat;
    QChar DecimalSeparator;
};

tFormatSettings& FormatSettings();

// Refills the formats from QLocale::system().
void ResetFormatSettings();

QString FormatLongTime(const QDateTime& moment);
QString FormatShortDate(const QDateTime& moment);
