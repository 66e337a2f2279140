#include "app/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "app/atomic_file.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"

class tSettings::ReadGuard {
public:
    explicit ReadGuard(const tSettings& s) : lock_(s.lock_.get()) {
        if (lock_) lock_->lock_shared();
    }
    ~ReadGuard() {
        if (lock_) lock_->unlock_shared();
    }

private:
    std::shared_mutex* lock_;
};

class tSettings::WriteGuard {
public:
    explicit WriteGuard(const tSettings& s) : lock_(s.lock_.get()) {
        if (lock_) lock_->lock();
    }
    ~WriteGuard() {
        if (lock_) lock_->unlock();
    }

private:
    std::shared_mutex* lock_;
};

namespace {
QString SystemMessage(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString FullPath(const QString& fileName) { return QFileInfo(fileName).absoluteFilePath(); }

[[noreturn]] void ThrowCannotCreate(const QString& fileName, int error) {
    throw Exception(
        QStringLiteral("Cannot create file \"%1\". %2").arg(FullPath(fileName), SystemMessage(error)));
}

QByteArray ReadWholeFile(const QString& fileName) {
    if (!QFileInfo::exists(fileName))
        throw Exception(LoadStr(1004).replace(QStringLiteral("%s"), FullPath(fileName)));
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int error = errno ? errno : EACCES;
        throw Exception(QStringLiteral("Cannot open file \"%1\". %2")
                            .arg(FullPath(fileName), SystemMessage(error)));
    }
    return file.readAll();
}

QString IniSectionName(const QByteArray& line) {
    const QByteArray t = line.trimmed();
    if (t.size() >= 2 && t.startsWith('[') && t.endsWith(']'))
        return QString::fromUtf8(t.mid(1, t.size() - 2)).trimmed();
    return QString();
}
}  // namespace

QVector<QByteArray> SplitLines(const QByteArray& text) {
    QVector<QByteArray> lines;
    int start = 0;
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.append(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

QString NameOfLine(const QByteArray& line) {
    const int eq = line.indexOf('=');
    return eq < 0 ? QString() : QString::fromUtf8(line.left(eq));
}

tSettings::tSettings(bool threadSafe) : tSettings(QString(), QString(), threadSafe) {}

tSettings::tSettings(const QString& fileName, bool threadSafe)
    : tSettings(fileName, QString(), threadSafe) {}

tSettings::tSettings(const QString& fileName, const QString& section, bool threadSafe)
    : section_(section), fileName_(fileName) {
    try {
        Init(threadSafe);
    } catch (...) {
        Cleanup();
        throw;
    }
}

tSettings::~tSettings() { tSettings::Cleanup(); }

void tSettings::Init(bool threadSafe) {
    if (threadSafe) lock_ = std::make_unique<std::shared_mutex>();
    list_ = std::make_unique<QVector<QByteArray>>();
}

void tSettings::Cleanup() {
    list_.reset();
    lock_.reset();
}

void tSettings::Load(const QString& fileName) {
    WriteGuard guard(*this);
    const QString source = fileName.isEmpty() ? fileName_ : fileName;
    if (!section_.isEmpty()) {
        LoadIni(source);
        return;
    }
    *list_ = SplitLines(ReadWholeFile(source));
    if (!fileName.isEmpty()) fileName_ = fileName;
}

void tSettings::LoadIni(const QString& source) {
    const QVector<QByteArray> lines = SplitLines(ReadWholeFile(source));
    list_->clear();
    bool inSection = false;
    for (const QByteArray& line : lines) {
        const QString header = IniSectionName(line);
        if (!header.isEmpty()) {
            inSection = header.compare(section_, Qt::CaseInsensitive) == 0;
            continue;
        }
        const int eq = line.indexOf('=');
        if (!inSection || eq <= 0) continue;
        list_->append(line.left(eq).trimmed() + '=' + line.mid(eq + 1).trimmed());
    }
    fileName_ = source;
}

void tSettings::Save(const QString& fileName) {
    ReadGuard guard(*this);
    const QString target = fileName.isEmpty() ? fileName_ : fileName;
    if (!section_.isEmpty()) {
        SaveIni(target);
        return;
    }
    QByteArray content;
    for (const QByteArray& line : *list_) {
        content += line;
        content += "\r\n";
    }
    const tAtomicWriteResult r = AtomicWriteFile(target, content);
    if (!r.ok()) ThrowCannotCreate(target, r.error);
    if (!fileName.isEmpty()) fileName_ = fileName;
}

void tSettings::SaveIni(const QString& target) {
    QVector<QByteArray> lines;
    if (QFileInfo::exists(target)) lines = SplitLines(ReadWholeFile(target));
    // Find the section's range [begin, end).
    int begin = -1, end = lines.size();
    for (int i = 0; i < lines.size(); ++i) {
        const QString header = IniSectionName(lines[i]);
        if (header.isEmpty()) continue;
        if (begin >= 0) {
            end = i;
            break;
        }
        if (header.compare(section_, Qt::CaseInsensitive) == 0) begin = i + 1;
    }
    if (begin < 0) {
        lines.append('[' + section_.toUtf8() + ']');
        begin = end = lines.size();
    }
    for (const QByteArray& entry : *list_) {
        const int eq = entry.indexOf('=');
        if (eq <= 0) continue;
        const QString key = QString::fromUtf8(entry.left(eq).trimmed());
        bool replaced = false;
        for (int i = begin; i < end; ++i) {
            const int leq = lines[i].indexOf('=');
            if (leq > 0 &&
                QString::fromUtf8(lines[i].left(leq).trimmed()).compare(key, Qt::CaseInsensitive) == 0) {
                lines[i] = entry;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            // Insert after the section's last non-blank line.
            int at = end;
            while (at > begin && lines[at - 1].trimmed().isEmpty()) --at;
            lines.insert(at, entry);
            ++end;
        }
    }
    QByteArray content;
    for (const QByteArray& line : lines) content += line + "\r\n";
    const tAtomicWriteResult r = AtomicWriteFile(target, content);
    if (!r.ok()) ThrowCannotCreate(target, r.error);
    fileName_ = target;
}

int tSettings::IndexOfNameUnlocked(const QString& name) const {
    for (int i = 0; i < list_->size(); ++i) {
        const QByteArray& line = list_->at(i);
        const int eq = line.indexOf('=');
        // A line without "=" is no entry that a name can find.
        if (eq < 0) continue;
        if (QString::fromUtf8(line.constData(), eq).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString tSettings::ValueOfUnlocked(const QString& name) const {
    const int i = IndexOfNameUnlocked(name);
    if (i < 0) return QString();
    const QByteArray& line = list_->at(i);
    const int eq = line.indexOf('=');
    return eq < 0 ? QString() : QString::fromUtf8(line.mid(eq + 1));
}

int tSettings::SetUnlocked(const QString& name, const QString& value, bool removeWhenEmpty) {
    const int i = IndexOfNameUnlocked(name);
    if (value.isEmpty() && removeWhenEmpty) {
        if (i >= 0) list_->removeAt(i);
        return -1;
    }
    const QByteArray line = name.toUtf8() + '=' + value.toUtf8();
    if (i >= 0) {
        (*list_)[i] = line;
        return i;
    }
    list_->append(line);
    return list_->size() - 1;
}

QString tSettings::GetSettingByName(const QString& name) const {
    ReadGuard guard(*this);
    return ValueOfUnlocked(name);
}

void tSettings::SetSettingByName(const QString& name, const QString& value) {
    WriteGuard guard(*this);
    SetUnlocked(name, value, true);
}

int tSettings::IndexOfName(const QString& name) const {
    ReadGuard guard(*this);
    return IndexOfNameUnlocked(name);
}

int tSettings::AddName(const QString& name, const QString& value) {
    WriteGuard guard(*this);
    return SetUnlocked(name, value, false);
}

int tSettings::GetCount() const {
    ReadGuard guard(*this);
    return list_->size();
}

QString tSettings::GetNameByIndex(int index) const {
    ReadGuard guard(*this);
    if (index < 0 || index >= list_->size()) return QString();
    return NameOfLine(list_->at(index));
}

QString tSettings::GetSettingByIndex(int index) const {
    ReadGuard guard(*this);
    if (index < 0 || index >= list_->size()) return QString();
    return ValueOfUnlocked(NameOfLine(list_->at(index)));
}

void tSettings::SetSettingByIndex(int index, const QString& value) {
    WriteGuard guard(*this);
    if (index < 0 || index >= list_->size()) return;
    SetUnlocked(NameOfLine(list_->at(index)), value, true);
}

void tSettings::SetSection(const QString& section) {
    WriteGuard guard(*this);
    section_ = section;
}

QString tSettings::GetSection() const {
    ReadGuard guard(*this);
    return section_;
}

void tSettings::SetFileName(const QString& fileName) {
    WriteGuard guard(*this);
    fileName_ = fileName;
}

QString tSettings::GetFileName() const {
    ReadGuard guard(*this);
    return fileName_;
}

void tSettings::AssignTo(tSettings& other) const {
    if (&other == this) return;
    QString section, fileName;
    QVector<QByteArray> lines;
    {
        ReadGuard guard(*this);
        section = section_;
        fileName = fileName_;
        lines = *list_;
    }
    // The two locks are never held at once.
    WriteGuard guard(other);
    other.section_ = section;
    other.fileName_ = fileName;
    *other.list_ = lines;
}

QVector<QByteArray> tSettings::Lines() const {
    ReadGuard guard(*this);
    return *list_;
}
