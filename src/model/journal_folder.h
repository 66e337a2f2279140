#pragma once

#include <QString>
#include <QStringList>

// The folder of recording journals: which journals a crash left behind, the answer to the offer
// to restore one, and the limit on how many are kept.

// The journals of the folder, oldest first (their names sort by start time).
QStringList JournalsOf(const QString& folder);

// True when the journal's last line is its stop event or the answer to a restore offer: the
// measurement ended normally, or the user has been asked about it.
bool JournalIsSettled(const QString& path);

// The newest journal that a crash left without its stop line and that nobody has been offered
// yet; "" when there is none.
QString FindCrashedJournal(const QString& folder);

// Records the answer to the restore offer as the journal's last line ("recovery restored" or
// "recovery declined"), after cutting off the half line a crash may have left. False when the
// file could not be changed.
bool MarkJournalAnswered(const QString& path, bool restored);

// Deletes the oldest journals beyond `keep` (0 keeps all), never `current`.
void PruneJournals(const QString& folder, int keep, const QString& current);
