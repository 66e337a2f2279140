// The recording journal of a measurement: opened at Start with the state the measurement starts
// from, fed with every chunk the decoder takes and with the events of the session, closed at
// Stop. A journal that cannot be written never stops the measurement.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "app/file_locations.h"
#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "device/device.h"
#include "model/journal_folder.h"
#include "model/record_journal.h"
#include "ui/mainfm.h"

namespace {
constexpr int kDefaultRecordKeep = 50;
}  // namespace

QString TfmMain::RecordFolder() const {
    const QString folder = settings_->GetSettingByName(QStringLiteral("RecordFolder")).trimmed();
    const tFileLocations locations(programPath_);
    if (folder.isEmpty()) return locations.RecordsFolder();
    // A relative folder lies beside the settings file: beside the program when it is portable,
    // in the user's configuration folder when it is installed.
    return QFileInfo(locations.SettingsFile()).dir().absoluteFilePath(folder);
}

void TfmMain::StartJournal() {
    CloseJournal();
    tJournalHeader header;
    header.program = QStringLiteral(MIRELVANE_FILE_VERSION);
    header.start = QDateTime::currentDateTime();
    header.port = Device() ? Device()->GetPortName() : QString();
    header.devTime = DevTime;
    header.acc = {cbAcc->currentText(), AccLimits.Min, AccLimits.Max};
    header.gyro = {cbGyro->currentText(), GyroLimits.Min, GyroLimits.Max};
    for (int k = 0; k < kChannelCount; ++k) {
        header.relative[k] = pmZeroItems[k]->isChecked();
        header.zeroRef[k] = ZeroRef[k];
    }
    QString battery = StatusPanel(1)->text();
    header.battery = StrToIntDef(battery.remove(u'%'), -1);

    const QString folder = RecordFolder();
    QString error;
    journal_ = tRecordJournal::Create(folder, header.start, JournalHeaderText(header), error);
    if (!journal_) {
        ReportJournalFailure(error);
        return;
    }
    if (journalFailed_) StatusPanel(0)->clear();
    journalFailed_ = false;
    LogFile->Write(QStringLiteral("JOURNAL: ") + journal_->Path());
    int keep =
        StrToIntDef(settings_->GetSettingByName(QStringLiteral("RecordKeep")), kDefaultRecordKeep);
    PruneJournals(folder, keep < 0 ? kDefaultRecordKeep : keep, journal_->Path());
}

void TfmMain::CloseJournal() {
    if (!journal_) return;
    journal_->Close();
    CheckJournal();
    journal_.reset();
}

void TfmMain::CheckJournal() {
    if (journal_ && !journalFailed_ && journal_->Failed()) ReportJournalFailure(journal_->Error());
}

void TfmMain::ReportJournalFailure(const QString& reason) {
    journalFailed_ = true;
    StatusPanel(0)->setText(LangConst(QStringLiteral("LC_RECORD_NOT_SAVED")));
    LogFile->Write(QStringLiteral("JOURNAL NOT SAVED: ") + reason);
}

void TfmMain::JournalEvent(const QString& kind, const QString& detail) {
    if (journal_) journal_->AppendEvent(kind, detail);
}

void TfmMain::JournalChunk(const char* bytes, int length) {
    if (journal_) journal_->AppendLines(bytes, length);
}

// The references of the relative channels are known from the first sample on.
void TfmMain::JournalZeroRefs() {
    bool relative = false;
    QStringList refs;
    for (int k = 0; k < kChannelCount; ++k) {
        relative |= decoder_.IsRelative(k);
        refs << QString::number(ZeroRef[k], 'g', 17);
    }
    if (relative) JournalEvent(QStringLiteral("zero"), refs.join(u' '));
}
