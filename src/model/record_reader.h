#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QString>
#include <bitset>
#include <vector>

#include "model/channels.h"
#include "model/event_marks.h"
#include "model/record_journal.h"
#include "model/record_view.h"

// Reads a recording back: a journal (record_journal.h), whose sample lines are decoded again as
// the window decoded them while they streamed, or a file that the export wrote (tab-separated,
// Windows-1251, decimal comma or point, header "t" and channel names). The samples go to a sink
// one by one; a caller that keeps its current record until the read has succeeded builds into a
// sink of its own and swaps.
//
// Memory stays bounded whatever the input: the file is read in blocks, a line longer than the
// limit ends the read, and a file above the size limit is refused before it is read.

struct tRecordLimits {
    qint64 maxFileBytes = qint64(1) << 30;
    int maxLineBytes = 4096;
};

// A journal's "clock" event: a sample's time on the ball's clock (as the reader gives it) and
// the host's monotonic and wall-clock seconds of that sample; `samples` were read before it.
struct tJournalClockPoint {
    double device = 0;
    double monotonic = 0;
    double wall = 0;
    qint64 samples = 0;
};

struct tRecordInfo {
    enum Kind { Journal, Export } kind = Journal;
    bool stopped = false;  // a journal whose measurement ended with Stop
    bool cutTail = false;  // a crashed journal's half-written last line was left out
    std::bitset<kChannelCount> channels = std::bitset<kChannelCount>().set();  // with values
    bool hasRanges = false;  // the journal's header named the ranges in force
    tJournalRange acc;
    tJournalRange gyro;
    QDateTime start;
    QString port;
    int samples = 0;
    int rejected = 0;  // journal lines the decoder did not accept, as it did not while streaming
    tEventMarks marks;                      // a journal's marks, with their last labels
    std::vector<tJournalClockPoint> clock;  // in the journal's order
};

struct tRecordError {
    enum Kind { None, CannotOpen, TooLarge, WrongHeader, Binary, LineTooLong, Truncated, BadValue };
    Kind kind = None;
    qint64 line = 0;  // 1-based; 0 when the error is the whole file's
    QString reason;   // the system's words for CannotOpen
    explicit operator bool() const { return kind != None; }
};

// `size`: the input's size in bytes, checked against the limit before anything is read.
tRecordError ReadRecord(QIODevice& in, qint64 size, tRecordSink& sink, tRecordInfo& info,
                        const tRecordLimits& limits = {});
tRecordError ReadRecordFile(const QString& path, tRecordSink& sink, tRecordInfo& info,
                            const tRecordLimits& limits = {});

// The error box text, in the interface language, naming the file and the line.
QString RecordErrorMessage(const QString& path, const tRecordError& error);
