#include "model/event_marks.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "model/windows1251.h"

QString CleanMarkLabel(const QString& label) {
    QString clean;
    clean.reserve(std::min<qsizetype>(label.size(), kMarkLabelMaxLength));
    for (const QChar c : label) {
        const char16_t u = c.unicode();
        const bool breaks = u < 0x20 || u == 0x7f || u == 0x85 || u == 0x2028 || u == 0x2029;
        clean += breaks ? QChar(u' ') : c;
        if (clean.size() >= kMarkLabelMaxLength + 1) break;
    }
    clean = clean.trimmed();
    if (clean.size() > kMarkLabelMaxLength) {
        clean.truncate(kMarkLabelMaxLength);
        // Half of a surrogate pair would not encode.
        if (clean.back().isHighSurrogate()) clean.chop(1);
        clean = clean.trimmed();
    }
    return clean;
}

namespace {
QString LabelOrNumber(const QString& label, int number) {
    const QString clean = CleanMarkLabel(label);
    return clean.isEmpty() ? QString::number(number) : clean;
}
}  // namespace

const tEventMark& tEventMarks::Add(double at, const QString& label) {
    tEventMark mark{next_, at, LabelOrNumber(label, next_)};
    ++next_;
    // Marks come in time order; one typed in during review may come later than a newer one.
    const auto place = std::upper_bound(
        marks_.begin(), marks_.end(), at,
        [](double time, const tEventMark& m) { return time < m.at; });
    return *marks_.insert(place, std::move(mark));
}

void tEventMarks::Restore(const tEventMark& mark) {
    if (mark.number <= 0) return;
    for (tEventMark& m : marks_) {
        if (m.number == mark.number) {
            m.label = LabelOrNumber(mark.label, mark.number);
            return;
        }
    }
    const int before = next_;
    next_ = mark.number;
    Add(mark.at, mark.label);
    next_ = std::max(before, mark.number + 1);
}

bool tEventMarks::Relabel(int number, const QString& label) {
    for (tEventMark& m : marks_) {
        if (m.number != number) continue;
        m.label = LabelOrNumber(label, number);
        return true;
    }
    return false;
}

const tEventMark* tEventMarks::Find(int number) const {
    for (const tEventMark& m : marks_)
        if (m.number == number) return &m;
    return nullptr;
}

QString MarkEventDetail(const tEventMark& mark) {
    return QStringLiteral("%1 %2 %3").arg(mark.number).arg(mark.at, 0, 'f', 3).arg(mark.label);
}

bool ParseMarkEventDetail(const QByteArray& detail, tEventMark& mark) {
    const qsizetype first = detail.indexOf(' ');
    if (first <= 0) return false;
    const qsizetype second = detail.indexOf(' ', first + 1);
    bool okNumber = false, okTime = false;
    mark.number = detail.left(first).toInt(&okNumber);
    mark.at = detail.mid(first + 1, second < 0 ? -1 : second - first - 1).toDouble(&okTime);
    mark.label = second < 0 ? QString() : QString::fromUtf8(detail.mid(second + 1));
    mark.label = LabelOrNumber(mark.label, mark.number);
    return okNumber && okTime && mark.number > 0;
}

QString EventsFileName(const QString& exportFileName) {
    const QFileInfo file(exportFileName);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-events.csv"));
}

QByteArray BuildEventsFile(const tEventMarks& marks, double origin, QChar separator) {
    QByteArray out = "onset\tlabel\r\n";
    for (const tEventMark& m : marks.All()) {
        // Rounded first, so that a mark at the origin reads 0.000 and never -0.000.
        const double seconds = std::round((m.at - origin) * 1000) / 1000;
        QString onset = QString::number(seconds == 0 ? 0.0 : seconds, 'f', 3);
        onset.replace(u'.', separator);
        out += EncodeWindows1251(onset + u'\t' + m.label) + "\r\n";
    }
    return out;
}
