#pragma once

#include <QString>
#include <vector>

#include "model/record_reader.h"
#include "record/host_time_map.h"

// What the exports take from a journal beside its samples: its clock points and its marks.
struct tJournalMark {
    int number = 0;
    double at = 0;  // record seconds
    QString label;
};

std::vector<tHostClockPoint> JournalClockPoints(const tRecordInfo& info);
std::vector<tJournalMark> JournalMarks(const tRecordInfo& info);
// The events file of the window and data formats: the window's own events file for the window
// format, else UTF-8 with a decimal point.
bool WriteJournalMarks(const QString& path, const tRecordInfo& info, bool windowFormat, QString& error);
