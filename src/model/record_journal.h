#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <atomic>
#include <bitset>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "model/channels.h"

// The recording journal: a text file that receives every sample line of a measurement as it
// was received, so that a crash loses at most its last seconds. It starts with a header of
// "#name value" lines; later events are "#event <local time> <kind> <detail>" lines; the last
// line of a measurement that ended normally is its "stop" event. A received line that itself
// starts with "#" is written behind "#line ", so that no ball output can pose as an event.
//
//   #mvrec 1
//   #program 1.0.0
//   #start 2026-12-09T15:42:31.120
//   ...
//   ax:120.0<TAB>ay:...<TAB>b:87
//   #event 2026-12-09T15:42:35.004 pause
//   #event 2026-12-09T15:43:02.310 stop

constexpr int kJournalVersion = 1;
extern const char kJournalExtension[];  // ".mvrec"

// A sensor range as the window showed it: the list's entry and the axis limits in force.
struct tJournalRange {
    QString entry;
    double min = 0;
    double max = 0;
};

struct tJournalHeader {
    QString program;  // the program's version
    QDateTime start;
    QString port;
    int devTime = -1;  // the ball's time at connect, -1 unknown
    tJournalRange acc;
    tJournalRange gyro;
    std::bitset<kChannelCount> relative;  // channels read relative to their first sample
    double zeroRef[kChannelCount] = {};
    int battery = -1;  // percent, -1 unknown
};

QByteArray JournalHeaderText(const tJournalHeader& header);
// One event line with its CR LF; line ends inside the detail become blanks.
QByteArray JournalEventLine(const QDateTime& at, const QString& kind, const QString& detail);
// "2026-12-09_15-42-31.mvrec"
QString JournalFileName(const QDateTime& start);
// The local time as the journal writes it, and back; an invalid time for a bad text.
QByteArray JournalTimeText(const QDateTime& at);
QDateTime ParseJournalTime(const QByteArray& text);

// Writes one journal. The window's thread only appends to a buffer; a writer thread of the
// journal's own writes that buffer at least once per flush interval and makes it durable with
// fdatasync at least once per sync interval and at Close. A write that fails (a full disk, a
// removed medium) stops the journal for good: later appends are dropped and Failed() says why.
class tRecordJournal {
public:
    struct tTiming {
        std::chrono::milliseconds flush{1000};
        std::chrono::milliseconds sync{5000};
    };

    // Creates a new journal in `folder` (made when missing) named after the start time, with a
    // suffix when a journal of that name exists, and writes the header. Null with `error` set.
    static std::unique_ptr<tRecordJournal> Create(const QString& folder, const QDateTime& start,
                                                  const QByteArray& header, QString& error,
                                                  tTiming timing);
    static std::unique_ptr<tRecordJournal> Create(const QString& folder, const QDateTime& start,
                                                  const QByteArray& header, QString& error) {
        return Create(folder, start, header, error, tTiming());
    }
    // Flushes and syncs what is buffered, without a stop line.
    ~tRecordJournal();
    tRecordJournal(const tRecordJournal&) = delete;
    tRecordJournal& operator=(const tRecordJournal&) = delete;

    // The chunk's lines up to its last CR LF, each as received; the rest is left out, as the
    // decoder leaves it.
    void AppendLines(const char* bytes, int length);
    // An event line stamped with the current local time.
    void AppendEvent(const QString& kind, const QString& detail);
    // The stop event, then the last flush and sync; the writer thread ends.
    void Close();

    bool Failed() const { return failed_.load(); }
    QString Error() const;
    const QString& Path() const { return path_; }
    // Bytes that have reached the file.
    qint64 BytesWritten() const { return written_.load(); }

private:
    tRecordJournal(int fd, QString path, tTiming timing);
    void Push(const QByteArray& text);
    void Run();
    bool WriteAll(const QByteArray& text);
    bool Sync();
    void Finish();

    int fd_ = -1;
    QString path_;
    tTiming timing_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    QByteArray pending_;
    bool closing_ = false;
    QString error_;
    std::atomic<bool> failed_{false};
    std::atomic<qint64> written_{0};
    bool dirSynced_ = false;
    std::thread writer_;
};
