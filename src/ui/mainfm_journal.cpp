// The recording journal as the window shows it: the measurement writes it; the status bar says
// when the measurement is not being saved.
#include <QLabel>

#include "base/builtin_texts.h"
#include "ui/mainfm.h"

void TfmMain::JournalOpened(const QString&) {
    if (journalNoticeShown_) StatusPanel(0)->clear();
    journalNoticeShown_ = false;
}

void TfmMain::JournalFailed(const QString&) {
    journalNoticeShown_ = true;
    StatusPanel(0)->setText(LangConst(QStringLiteral("LC_RECORD_NOT_SAVED")));
}
