// Opening a recording (a journal or an exported file) as the current stopped record, and the
// offer to restore a measurement that a crash cut short.
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTimer>

#include "app/log_file.h"
#include "base/builtin_texts.h"
#include "model/journal_folder.h"
#include "model/record_reader.h"
#include "ui/chart.h"
#include "ui/mainfm.h"
#include "ui/series_data.h"

// The nine channels of a record being read, apart from the window's until the read succeeded.
class tSeriesSink : public tRecordSink {
public:
    void Append(double time, const double (&values)[kChannelCount]) override {
        for (int k = 0; k < kChannelCount; ++k) points[k].Insert(time, values[k]);
    }
    void Expect(int samples) override {
        for (tSeriesData& channel : points) channel.Reserve(samples);
    }
    tSeriesData points[kChannelCount];
};

void TfmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (recoveryChecked_) return;
    recoveryChecked_ = true;
    // After the window is up: the question never delays the start.
    QTimer::singleShot(0, this, &TfmMain::OfferRecovery);
}

void TfmMain::OfferRecovery() {
    if (IsMeasuring()) return;
    const QString path = FindCrashedJournal(RecordFolder());
    if (path.isEmpty()) return;
    const QDateTime start = QDateTime::fromString(QFileInfo(path).completeBaseName().left(19),
                                                  QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    const QString when = start.isValid() ? QLocale::system().toString(start, QLocale::ShortFormat)
                                         : QFileInfo(path).fileName();
    QMessageBox box(QMessageBox::Question, LoadStr(20003),
                    LangConst(QStringLiteral("LC_RECORD_RESTORE")).arg(when),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setDefaultButton(QMessageBox::Yes);
    const bool restore = box.exec() == QMessageBox::Yes;
    // Asked once: from now on only File > Open brings it back.
    if (!MarkJournalAnswered(path, restore))
        LogFile->Write(QStringLiteral("JOURNAL NOT MARKED: ") + path);
    if (restore && !IsMeasuring()) OpenRecordFile(path);
}

void TfmMain::acFileOpenExecute() {
    QFileDialog dialog(this, acFileOpen->text().remove(u'&'));
    dialog.setObjectName(QStringLiteral("odRecord"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(
        {LangConst(QStringLiteral("LC_RECORD_FILTER")), QStringLiteral("Все файлы (*)")});
    if (QDir(RecordFolder()).exists()) dialog.setDirectory(RecordFolder());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    OpenRecordFile(dialog.selectedFiles().constFirst());
}

bool TfmMain::OpenRecordFile(const QString& path) {
    auto sink = std::make_unique<tSeriesSink>();
    tRecordInfo info;
    const tRecordError error = ReadRecordFile(path, *sink, info);
    if (error) {
        LogFile->Write(QStringLiteral("RECORD NOT OPENED: ") + path);
        QMessageBox box(QMessageBox::Critical, LoadStr(20000), RecordErrorMessage(path, error),
                        QMessageBox::Ok, this);
        box.exec();
        return false;
    }
    InstallRecord(*sink, info);
    LogFile->Write(QStringLiteral("RECORD OPENED: ") + path);
    return true;
}

void TfmMain::InstallRecord(tSeriesSink& sink, const tRecordInfo& info) {
    for (TChart* chart : Charts()) PrepareLiveChart(chart);
    for (int k = 0; k < kChannelCount; ++k) masterPoints_[k]->Swap(sink.points[k]);
    openedRecord_ = true;
    ZeroMarkerIndex = -1;
    CursorIndex = -1;
    lbTime->setText(QString());
    if (info.hasRanges)
        ApplyVerticalLimits({info.acc.min, info.acc.max}, {info.gyro.min, info.gyro.max});
    else
        ApplyStartLimits();
    const int count = MasterSeries(0)->Count();
    const double first = count > 0 ? masterPoints_[0]->TimeAt(0) : 0;
    for (TChart* chart : Charts()) {
        chart->BottomAxis()->setRange(first, first + TimeWindow.Width());
        EnableChartReview(chart);
    }
    // An exported file holds the channels that were visible; the others are shown hidden.
    if (info.kind == tRecordInfo::Export) {
        {
            const QSignalBlocker blocker(chSeries);
            for (int k = 0; k < kChannelCount && k < chSeries->count(); ++k)
                chSeries->item(k)->setCheckState(info.channels[k] ? Qt::Checked : Qt::Unchecked);
        }
        chSeriesClickCheck(nullptr);
    }
    if (count > 0) ShowChannelRows(count - 1);
    SetEventMarks(info.marks);
    RepaintVisibleChart();
}
