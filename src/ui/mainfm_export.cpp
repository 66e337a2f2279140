// The export of a stopped record into a tab-separated file.
#include <QCheckBox>
#include <QMessageBox>
#include <QProgressDialog>

#include "app/format_settings.h"
#include "base/builtin_texts.h"
#include "model/channels.h"
#include "model/csv_export.h"
#include "model/event_marks.h"
#include "model/statistics_file.h"
#include "ui/chart.h"
#include "ui/chart_record.h"
#include "ui/handler_error.h"
#include "ui/mainfm.h"
#include "ui/save_dialog.h"

namespace {
// How long an export runs before its progress shows.
constexpr int kExportProgressDelayMs = 500;
}  // namespace

void TfmMain::CreateSaveDialog() {
    sd = new TSaveDialog(this, QStringLiteral("sd"));
    sd->setDefaultSuffix(QStringLiteral("csv"));
    sd->setNameFilters({QStringLiteral("CSV-файлы (*.csv)"), QStringLiteral("Все файлы (*.*)")});
    cbExportStatistics = sd->AddCheckBox(QStringLiteral("cbExportStatistics"));
    cbExportEvents = sd->AddCheckBox(QStringLiteral("cbExportEvents"));
    cbExportEvents->setChecked(true);
}

void TfmMain::acFileExportExecute() {
    const tChartRecord record(chAll);
    tExportSource source;
    source.record = &record;
    for (int k = 0; k < kChannelCount; ++k) {
        source.marks[k] = &MasterSeries(k)->Marks();
        source.visible[k] = MasterSeries(k)->visible();
    }
    source.ZeroMarkerIndex = ZeroMarkerIndex;
    source.CursorIndex = CursorIndex;
    // Nothing to write: say so before a file name is asked for, and touch no file.
    if (!HasExportData(source)) {
        QMessageBox box(QMessageBox::Information, LoadStr(20001), ExportNoDataMessage(),
                        QMessageBox::Ok, this);
        box.exec();
        return;
    }
    // The events file is offered only for a record that has marks.
    cbExportEvents->setVisible(!eventMarks_.IsEmpty());
    QString fileName;
    if (!sd->Choose(fileName)) return;
    tExportResult result;
    {
        // Shown only when the export takes longer than a moment; window-modal, so the record
        // stays as it is while its rows are written.
        QProgressDialog progress(LangConst(QStringLiteral("LC_EXPORT_PROGRESS")), QString(), 0, 100,
                                 this);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(kExportProgressDelayMs);
        progress.setValue(0);
        result = ExportRecord(fileName, source,
                              [&progress](int percent) { progress.setValue(percent); });
    }
    if (result.ok() && cbExportStatistics->isChecked())
        result = ExportStatistics(StatisticsFileName(fileName), source);
    if (result.ok() && !eventMarks_.IsEmpty() && cbExportEvents->isChecked()) {
        // The onsets on the export's own axis: seconds from the time origin, when one is set.
        const double origin = ZeroMarkerIndex >= 0 ? record.Time(ZeroMarkerIndex) : 0.0;
        const QChar separator =
            source.separator.isNull() ? FormatSettings().DecimalSeparator : source.separator;
        result = WriteExportFile(EventsFileName(fileName),
                                 BuildEventsFile(eventMarks_, origin, separator));
    }
    // The report of an error that ends a handler, shown here rather than thrown through Qt's
    // signal code.
    if (!result.ok()) ShowHandlerError(result.message);
}
