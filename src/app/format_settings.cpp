#include "app/format_settings.h"

#include <QLocale>
#include <QRegularExpression>

namespace {
// The long time format without the time zone: drop every "t" token and the blanks around it.
QString WithoutTimeZone(QString format) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b\\s*"));
    format.replace(zone, QStringLiteral(" "));
    return format.trimmed();
}

tFormatSettings MakeFromSystem() {
    const QLocale locale = QLocale::system();
    tFormatSettings s;
    s.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat);
    s.LongTimeFormat = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    if (!s.LongTimeFormat.contains(u's')) s.LongTimeFormat = QStringLiteral("HH:mm:ss");
    const QString point = locale.decimalPoint();
    s.DecimalSeparator = point.isEmpty() ? QChar(u'.') : point[0];
    return s;
}
}  // namespace

tFormatSettings& FormatSettings() {
    static tFormatSettings settings = MakeFromSystem();
    return settings;
}

void ResetFormatSettings() { FormatSettings() = MakeFromSystem(); }

QString FormatLongTime(const QDateTime& moment) {
    return QLocale::system().toString(moment, FormatSettings().LongTimeFormat);
}

QString FormatShortDate(const QDateTime& moment) {
    return QLocale::system().toString(moment, FormatSettings().ShortDateFormat);
}
