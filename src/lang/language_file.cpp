#include "lang/language_file.h"

#include <QFile>
#include <QStringDecoder>

#include "app/int_conversion.h"
#include "base/exceptions.h"
#include "lang/language_ids.h"

namespace {
bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool IsAsciiLetter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString Key(const QString& name) {
    return name.toCaseFolded();
}

QString LoadFailure(int line, const QString& reason) {
    return QStringLiteral("Loading translations failed.\r\nLine %1: %2")
        .arg(QString::number(line), reason);
}

// The ID of a window text: decimal digits giving a value from 1 up; 0 for anything else.
int PositiveId(const QString& name) {
    if (name.isEmpty()) return 0;
    qint64 value = 0;
    for (QChar c : name) {
        if (!IsAsciiDigit(c)) return 0;
        value = value * 10 + (c.unicode() - u'0');
        if (value > 0x7FFFFFFF) return 0;
    }
    return static_cast<int>(value);
}

class LanguageFileParser {
public:
    explicit LanguageFileParser(bool headerOnly) : headerOnly_(headerOnly) {}

    // False when only the header is wanted and it has ended.
    bool Take(int index, const QString& rawLine) {
        const QString line = TrimBlanks(rawLine);
        if (line.isEmpty() || line.startsWith(u';')) return true;
        if (line.startsWith(u'[')) {
            if (headerOnly_) return false;
            TakeSectionHeader(line);
            return true;
        }
        const int equals = line.indexOf(u'=');
        if (equals < 0) return true;
        const QString name = TrimBlanks(line.left(equals));
        if (name.isEmpty()) return true;
        TakeEntry(index, name, TrimBlanks(line.mid(equals + 1)));
        return true;
    }

    tTranslation& Result() { return result_; }

private:
    enum class Part { Header, Constants, Window };

    void TakeSectionHeader(const QString& line) {
        if (line.size() <= 2 || !line.endsWith(u']')) return;
        section_ = TrimBlanks(line.mid(1, line.size() - 2));
        if (section_.compare(QLatin1String("$CONSTANTS"), Qt::CaseInsensitive) == 0) {
            part_ = Part::Constants;
        } else {
            part_ = Part::Window;
            result_.AddSection(section_);
        }
    }

    void TakeEntry(int index, const QString& name, const QString& value) {
        switch (part_) {
            case Part::Header:
                result_.AddHeaderEntry(name, value);
                break;
            case Part::Constants:
                if (!IsIdentifier(name))
                    throw Exception(LoadFailure(
                        index, QStringLiteral("Invalid constant name (\"%1\")").arg(name)));
                if (!result_.AddConstant(name, DecodeEscapes(value)))
                    throw Exception(LoadFailure(
                        index, QStringLiteral("Duplicate constant name (\"%1\")").arg(name)));
                break;
            case Part::Window: {
                const int id = PositiveId(name);
                if (id == 0) return;
                if (!result_.AddText(section_, id, DecodeEscapes(value)))
                    throw Exception(LoadFailure(
                        index,
                        QStringLiteral("Duplicate property value translation ID (%1)").arg(id)));
                break;
            }
        }
    }

    bool headerOnly_;
    Part part_ = Part::Header;
    QString section_;
    tTranslation result_;
};

tTranslation ParseText(const QString& text, bool headerOnly) {
    LanguageFileParser parser(headerOnly);
    const QStringList lines = SplitTextLines(text);
    for (int i = 0; i < lines.size(); ++i)
        if (!parser.Take(i, lines[i])) break;
    return std::move(parser.Result());
}

QByteArray ReadAllBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    return file.readAll();
}

QString DecodeUnicode(const QByteArray& bytes, int markSize, QStringConverter::Encoding encoding) {
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes.mid(markSize));
}
}  // namespace

int tTranslation::LanguageId() const {
    const std::optional<int32_t> id = TryStrToInt(HeaderValue(QStringLiteral("LANGID")));
    return id ? static_cast<int>(static_cast<uint32_t>(*id) & 0xFFFFu) : 0;
}

QString tTranslation::HeaderValue(const QString& name) const {
    for (const auto& entry : header_)
        if (entry.first.compare(name, Qt::CaseInsensitive) == 0) return entry.second;
    return QString();
}

bool tTranslation::FindConstant(const QString& name, QString* text) const {
    const auto it = constants_.constFind(Key(name));
    if (it == constants_.constEnd()) return false;
    if (text) *text = it.value();
    return true;
}

const QHash<int, QString>* tTranslation::Section(const QString& name) const {
    const auto it = sections_.constFind(Key(name));
    return it == sections_.constEnd() ? nullptr : &it.value().texts;
}

QStringList tTranslation::SectionNames() const {
    QStringList names;
    for (const SectionTexts& section : sections_) names.append(section.name);
    return names;
}

void tTranslation::AddHeaderEntry(const QString& name, const QString& value) {
    header_.append({name, value});
}

void tTranslation::AddSection(const QString& name) {
    SectionTexts& section = sections_[Key(name)];
    if (section.name.isEmpty()) section.name = name;
}

bool tTranslation::AddConstant(const QString& name, const QString& text) {
    const QString key = Key(name);
    if (constants_.contains(key)) return false;
    constants_.insert(key, text);
    return true;
}

bool tTranslation::AddText(const QString& section, int id, const QString& text) {
    AddSection(section);
    QHash<int, QString>& texts = sections_[Key(section)].texts;
    if (texts.contains(id)) return false;
    texts.insert(id, text);
    return true;
}

QString DecodeLanguageFileText(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) return DecodeUnicode(bytes, 3, QStringConverter::Utf8);
    if (bytes.startsWith("\xFF\xFE")) return DecodeUnicode(bytes, 2, QStringConverter::Utf16LE);
    if (bytes.startsWith("\xFE\xFF")) return DecodeUnicode(bytes, 2, QStringConverter::Utf16BE);
    // The header is ASCII in every code page, so it can be read before the code page is known.
    const int id = ParseText(QString::fromLatin1(bytes), true).LanguageId();
    return DecodeCodePage(bytes, CodePageForLanguageId(id != 0 ? id : kLangEnglish));
}

tTranslation ParseLanguageFile(const QByteArray& bytes, bool headerOnly) {
    return ParseText(DecodeLanguageFileText(bytes), headerOnly);
}

tTranslation ReadLanguageFile(const QString& path) {
    return ParseLanguageFile(ReadAllBytes(path), false);
}

tTranslation ReadLanguageFileHeader(const QString& path) {
    return ParseLanguageFile(ReadAllBytes(path), true);
}

QString DecodeEscapes(const QString& value) {
    const int n = value.size();
    QString out;
    out.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 >= n) {
            out += c;
            continue;
        }
        const QChar next = value[i + 1];
        if (next == u'\\') {
            out += u'\\';
        } else if (next == u'n') {
            out += QLatin1String("\r\n");
        } else if (next == u't') {
            out += u'\t';
        } else if (IsAsciiDigit(next) && i + 2 < n && IsAsciiDigit(value[i + 2])) {
            out += QChar((next.unicode() - u'0') * 10 + (value[i + 2].unicode() - u'0'));
            ++i;
        } else {
            out += c;
            out += next;
        }
        ++i;
    }
    return out;
}

QStringList SplitTextLines(const QString& text) {
    QStringList lines;
    const int n = text.size();
    int start = 0;
    while (start < n) {
        int end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n') ++end;
        lines.append(text.mid(start, end - start));
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ++end;
        start = end + 1;
    }
    return lines;
}

QString TrimBlanks(const QString& text) {
    int first = 0;
    int last = text.size() - 1;
    while (first <= last && text[first].unicode() <= u' ') ++first;
    while (last >= first && text[last].unicode() <= u' ') --last;
    return text.mid(first, last - first + 1);
}

bool IsIdentifier(const QString& name) {
    if (name.isEmpty() || !(IsAsciiLetter(name[0]) || name[0] == u'_')) return false;
    for (QChar c : name)
        if (!(IsAsciiLetter(c) || IsAsciiDigit(c) || c == u'_')) return false;
    return true;
}
