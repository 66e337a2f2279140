#pragma once

#include <QByteArray>
#include <QHash>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>

// One language file as read: its header entries, its constants and the texts of each of its
// window sections by ID. Names of constants and sections compare without regard to case.
class tTranslation {
public:
    // The low 16 bits of the header entry "LANGID"; 0 when it is missing or not an integer.
    int LanguageId() const;
    // The first header entry of that name (any case); "" when there is none.
    QString HeaderValue(const QString& name) const;
    const QVector<QPair<QString, QString>>& Header() const { return header_; }

    // False when the file does not name the constant.
    bool FindConstant(const QString& name, QString* text) const;
    int ConstantCount() const { return constants_.size(); }

    // The texts of a section by ID; null when the file has no such section.
    const QHash<int, QString>* Section(const QString& name) const;
    QStringList SectionNames() const;

    // Building, for the reader.
    void AddHeaderEntry(const QString& name, const QString& value);
    void AddSection(const QString& name);
    // False when the constant is there already.
    bool AddConstant(const QString& name, const QString& text);
    // False when the section holds that ID already.
    bool AddText(const QString& section, int id, const QString& text);

private:
    struct SectionTexts {
        QString name;
        QHash<int, QString> texts;
    };

    QVector<QPair<QString, QString>> header_;
    QHash<QString, QString> constants_;      // by case-folded name
    QHash<QString, SectionTexts> sections_;  // by case-folded name
};

// The whole file. Fails with "Loading translations failed.\r\nLine <n>: <reason>" (n counted
// from 0) or, when the file cannot be read, with "Cannot open file \"<path>\". <reason>".
tTranslation ReadLanguageFile(const QString& path);

// Only the header, up to the first line that begins with "["; fails only when the file cannot
// be read.
tTranslation ReadLanguageFileHeader(const QString& path);

// The same from bytes already read.
tTranslation ParseLanguageFile(const QByteArray& bytes, bool headerOnly = false);

// The file's text: after a byte-order mark (UTF-16 LE, UTF-16 BE or UTF-8) in that encoding,
// otherwise 8-bit text in the code page of the file's own LANGID.
QString DecodeLanguageFileText(const QByteArray& bytes);

// A value's escapes: "\\\\", "\\n" (CR LF), "\\t" and a backslash with two decimal digits (the
// character of that code). Any other backslash stays, and so does the character after it.
QString DecodeEscapes(const QString& value);

// The lines of a text, ended by CR, LF or CR LF; a final line end starts no further line.
QStringList SplitTextLines(const QString& text);

// Removes blanks and control characters (everything up to U+0020) at both ends.
QString TrimBlanks(const QString& text);

// A letter or "_" first, then letters, digits and "_" (ASCII).
bool IsIdentifier(const QString& name);
