#include "record/journal_points.h"

std::vector<tHostClockPoint> JournalClockPoints(const tRecordInfo&) { return {}; }
std::vector<tJournalMark> JournalMarks(const tRecordInfo&) { return {}; }
bool WriteJournalMarks(const QString&, const tRecordInfo&, bool, QString&) { return true; }
