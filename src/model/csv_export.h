#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <bitset>
#include <functional>
#include <optional>

#include "model/channels.h"
#include "model/mark_set.h"
#include "model/record_view.h"

// What an export reads: the master record, the export marks of its nine series, which channels
// are visible, the two markers (-1 = unset) and the names and decimal separator to write.
struct tExportSource {
    const tRecordView* record = nullptr;
    const tMarkSet* marks[kChannelCount] = {};  // null: the series has no marks
    std::bitset<kChannelCount> visible = std::bitset<kChannelCount>().set();
    int ZeroMarkerIndex = -1;
    int CursorIndex = -1;
    const QString* names = ChannelNames;  // kChannelCount entries
    QChar separator = QChar();            // none: the user's (FormatSettings)
};

// The export file's content in Windows-1251: the header "t" and the visible channels' names,
// then one row per sample (its time relative to the zero marker with three decimals, each
// visible channel's value with two), tab-separated, every line ended by CR LF.
// With any sample marked on any series, visible or not, the rows are the marked samples in index
// order; otherwise the samples from the zero marker (or the first) to the cursor (or the last),
// ascending whichever marker comes first.
// None when there is nothing to export (see HasExportData).
std::optional<QByteArray> BuildExportFile(const tExportSource& source);

// False for an empty record, or for a marker that names no sample of it: such an export would
// read samples that do not exist.
bool HasExportData(const tExportSource& source);

struct tExportResult {
    enum Status { Written, NoData, CreateFailed, WriteFailed } status = Written;
    QString message;  // for the error or notice box; empty when written
    bool ok() const { return status == Written; }
};

// Told how far a long export has got, in percent: 0 to 99 while the rows are written, 100 when
// the file is in place. Called only when the percentage changes.
using tExportProgress = std::function<void(int percent)>;

// Writes the file and replaces `fileName` with it at once: on any failure an existing file keeps
// its old content. NoData writes nothing and carries the "no data" notice.
tExportResult ExportRecord(const QString& fileName, const tExportSource& source,
                           const tExportProgress& progress = {});
// Replaces `fileName` with `content` as ExportRecord does, with the same error texts.
tExportResult WriteExportFile(const QString& fileName, const QByteArray& content);

// The texts of the export's message boxes.
QString ExportNoDataMessage();  // string 5004, shown with the caption of string 20001
QString ExportCreateErrorMessage(const QString& fileName, const QString& reason);
QString ExportWriteErrorMessage();
