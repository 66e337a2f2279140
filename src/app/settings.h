#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <memory>
#include <shared_mutex>

// The name=value lines of the ".cfg" file. Lines are kept byte for byte; a line without "="
// has an empty name and is carried along unchanged. Names compare without regard to case.
// With a section set, the object reads and writes that section of an ini file instead.
class tSettings {
public:
    explicit tSettings(bool threadSafe = false);
    tSettings(const QString& fileName, bool threadSafe);
    tSettings(const QString& fileName, const QString& section, bool threadSafe);
    virtual ~tSettings();
    tSettings(const tSettings&) = delete;
    tSettings& operator=(const tSettings&) = delete;

    virtual void Init(bool threadSafe);
    virtual void Cleanup();

    // Throw Exception with the texts the user sees (string 1004 for a missing file).
    void Load(const QString& fileName = QString());
    void Save(const QString& fileName = QString());

    QString GetSettingByName(const QString& name) const;
    void SetSettingByName(const QString& name, const QString& value);
    int IndexOfName(const QString& name) const;
    int AddName(const QString& name, const QString& value);
    int GetCount() const;
    QString GetNameByIndex(int index) const;
    QString GetSettingByIndex(int index) const;
    void SetSettingByIndex(int index, const QString& value);

    void SetSection(const QString& section);
    QString GetSection() const;
    void SetFileName(const QString& fileName);
    QString GetFileName() const;

    void AssignTo(tSettings& other) const;

    // The raw lines, for tests and for copying.
    QVector<QByteArray> Lines() const;

private:
    class ReadGuard;
    class WriteGuard;

    int IndexOfNameUnlocked(const QString& name) const;
    QString ValueOfUnlocked(const QString& name) const;
    int SetUnlocked(const QString& name, const QString& value, bool removeWhenEmpty);
    void LoadIni(const QString& source);
    void SaveIni(const QString& target);

    std::unique_ptr<std::shared_mutex> lock_;
    QString section_;
    QString fileName_;
    std::unique_ptr<QVector<QByteArray>> list_;
};

// Splits text at every CR, LF or CR LF; a last line without a line end counts.
QVector<QByteArray> SplitLines(const QByteArray& text);

// The name of a settings line: its text before the first "=", or empty.
QString NameOfLine(const QByteArray& line);
