#include "model/statistics_file.h"

#include <QDir>
#include <QFileInfo>

#include "app/format_settings.h"
#include "model/span_statistics.h"
#include "model/windows1251.h"

namespace {
constexpr int kValueDecimals = 2;

QByteArray Line(const QStringList& fields) {
    return EncodeWindows1251(fields.join(u'\t')) + "\r\n";
}
}  // namespace

QString StatisticsFileName(const QString& exportFileName) {
    const QFileInfo file(exportFileName);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-stats.csv"));
}

std::optional<QByteArray> BuildStatisticsFile(const tExportSource& source) {
    if (!HasExportData(source)) return std::nullopt;
    const QChar separator =
        source.separator.isNull() ? FormatSettings().DecimalSeparator : source.separator;
    const tSpan span =
        MarkerSpan(source.record->Count(), source.ZeroMarkerIndex, source.CursorIndex);
    QByteArray out = Line(StatisticsTitles());
    for (int k = 0; k < kChannelCount; ++k) {
        if (!source.visible[k]) continue;
        const tChannelStatistics s = ChannelStatistics(*source.record, k, span);
        out += Line(QStringList{source.names[k]} + StatisticsCells(s, kValueDecimals, separator));
    }
    return out;
}

tExportResult ExportStatistics(const QString& fileName, const tExportSource& source) {
    const std::optional<QByteArray> content = BuildStatisticsFile(source);
    if (!content) return {tExportResult::NoData, ExportNoDataMessage()};
    return WriteExportFile(fileName, *content);
}
