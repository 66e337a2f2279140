#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>
#include <vector>

// A moment that the user marked while measuring: its running number, its time on the record's
// axis (seconds, as the export's t before any origin) and its label, never empty.
struct tEventMark {
    int number = 0;
    double at = 0;
    QString label;
};

constexpr int kMarkLabelMaxLength = 200;

// A label as it is kept: one line of at most kMarkLabelMaxLength characters, tabs, line ends and
// other control characters turned into blanks, no blanks at either end. Empty when nothing is
// left, and then the mark keeps its number.
QString CleanMarkLabel(const QString& label);

// The marks of one record, in time order.
class tEventMarks {
public:
    // Adds a mark with the next number; an empty label becomes the number. Returns the mark.
    const tEventMark& Add(double at, const QString& label);
    // Keeps a mark as it was read back (a journal): its number and label as they stand; a mark
    // of a number that exists replaces its label.
    void Restore(const tEventMark& mark);
    // The new label of mark `number`; an empty one gives the number back. False for no such mark.
    bool Relabel(int number, const QString& label);
    const tEventMark* Find(int number) const;
    void Clear() { marks_.clear(); }

    const std::vector<tEventMark>& All() const { return marks_; }
    int Count() const { return static_cast<int>(marks_.size()); }
    bool IsEmpty() const { return marks_.empty(); }
    int NextNumber() const { return next_; }

private:
    std::vector<tEventMark> marks_;
    int next_ = 1;
};

// The journal's detail of a mark event: "<number> <time> <label>", and back.
QString MarkEventDetail(const tEventMark& mark);
bool ParseMarkEventDetail(const QByteArray& detail, tEventMark& mark);

// The events file that an export writes beside its data: "name.csv" gives "name-events.csv".
QString EventsFileName(const QString& exportFileName);
// Its content, in the export's encoding and line ends: a header "onset<TAB>label", then one line
// per mark in time order with the onset in seconds on the export's axis (the mark's time less
// `origin`), three decimals with `separator`.
QByteArray BuildEventsFile(const tEventMarks& marks, double origin, QChar separator);
