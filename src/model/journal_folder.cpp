#include "model/journal_folder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "model/record_journal.h"

namespace {
// Enough for the last whole line: event lines are short, sample lines at most a chunk.
constexpr qint64 kTailBytes = 8192;

QByteArray Tail(QFile& file) {
    const qint64 size = file.size();
    file.seek(size > kTailBytes ? size - kTailBytes : 0);
    return file.read(kTailBytes);
}
}  // namespace

QStringList JournalsOf(const QString& folder) {
    const QDir dir(folder);
    QStringList names = dir.entryList({QStringLiteral("*") + QLatin1String(kJournalExtension)},
                                      QDir::Files, QDir::Name);
    for (QString& name : names) name = dir.filePath(name);
    return names;
}

bool JournalIsSettled(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return true;  // nothing there to restore
    const QByteArray tail = Tail(file);
    if (!tail.endsWith("\r\n")) return false;
    const qsizetype start = tail.lastIndexOf("\r\n", tail.size() - 3);
    const QByteArray last = tail.mid(start < 0 ? 0 : start + 2).chopped(2);
    if (!last.startsWith("#event ")) return false;
    const QList<QByteArray> words = last.split(' ');
    return words.size() >= 3 && (words[2] == "stop" || words[2] == "recovery");
}

QString FindCrashedJournal(const QString& folder) {
    const QStringList journals = JournalsOf(folder);
    for (auto it = journals.crbegin(); it != journals.crend(); ++it)
        if (!JournalIsSettled(*it)) return *it;
    return QString();
}

bool MarkJournalAnswered(const QString& path, bool restored) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return false;
    const qint64 size = file.size();
    const QByteArray tail = Tail(file);
    const qsizetype end = tail.lastIndexOf("\r\n");
    // The header is never cut: a file without any whole line keeps what it has.
    if (end >= 0 && end + 2 < tail.size() && !file.resize(size - tail.size() + end + 2))
        return false;
    file.seek(file.size());
    const QByteArray line =
        JournalEventLine(QDateTime::currentDateTime(), QStringLiteral("recovery"),
                         restored ? QStringLiteral("restored") : QStringLiteral("declined"));
    return file.write(line) == line.size() && file.flush();
}

void PruneJournals(const QString& folder, int keep, const QString& current) {
    if (keep <= 0) return;
    QStringList journals = JournalsOf(folder);
    for (int i = 0; journals.size() > keep && i < journals.size();) {
        if (journals[i] == current) {
            ++i;
            continue;
        }
        QFile::remove(journals[i]);
        journals.removeAt(i);
    }
}
