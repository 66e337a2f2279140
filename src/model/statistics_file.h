#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "model/csv_export.h"

// The statistics file that an export can write beside its data: "name.csv" gives
// "name-stats.csv" in the same folder.
QString StatisticsFileName(const QString& exportFileName);

// The statistics of the span between the source's markers (as the export's range: the first
// or the last sample stands for a marker that is not set), in the export's encoding and rules:
// a title line, then one line per visible channel in channel order with its name, the count
// and the values with two decimals and the source's decimal separator; a value that does not
// exist is an empty field. None when there is nothing to export.
std::optional<QByteArray> BuildStatisticsFile(const tExportSource& source);

tExportResult ExportStatistics(const QString& fileName, const tExportSource& source);
