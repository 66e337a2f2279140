#include "lang/language_file.h"

#include <gtest/gtest.h>

#include <QStringEncoder>

#include "base/exceptions.h"
#include "lang/qstring_printer.h"
#include "support/temp_folder.h"

namespace {
// A Kazakh file with a constant, a list text and a window text in Cyrillic letters that
// windows-1251 holds (Kazakh's own letters it does not).
const char16_t kSample[] =
    u"LANGID=1087\r\n"
    u"[$CONSTANTS]\r\n"
    u"LC_DEVICE_NOT_FOUND=Устройство не найдено.\r\n"
    u"[fmMain]\r\n"
    u"121=± 16g\\n± 8g\r\n"
    u"125=Ускорение и угол\r\n";

QByteArray Utf16(const QString& text, bool bigEndian) {
    QStringEncoder encoder(bigEndian ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    return QByteArray(bigEndian ? "\xFE\xFF" : "\xFF\xFE") + QByteArray(encoder.encode(text));
}

QByteArray Cp1251(const QString& text) {
    QStringEncoder encoder("windows-1251");
    return encoder.encode(text);
}

QString FailureOf(const QByteArray& bytes) {
    try {
        ParseLanguageFile(bytes);
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("<no failure>");
}

void ExpectSampleTexts(const tTranslation& t) {
    EXPECT_EQ(t.LanguageId(), 1087);
    QString text;
    ASSERT_TRUE(t.FindConstant(QStringLiteral("lc_device_not_found"), &text));
    EXPECT_EQ(text, QStringLiteral("Устройство не найдено."));
    const QHash<int, QString>* main = t.Section(QStringLiteral("FMMAIN"));
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->value(121), QStringLiteral("± 16g\r\n± 8g"));
    EXPECT_EQ(main->value(125), QStringLiteral("Ускорение и угол"));
}
}  // namespace

TEST(LanguageFile, EachByteOrderMarkAndThe8BitCodePageGiveTheSameTexts) {
    const QString text = QString::fromUtf16(kSample);
    ExpectSampleTexts(ParseLanguageFile("\xEF\xBB\xBF" + text.toUtf8()));
    ExpectSampleTexts(ParseLanguageFile(Utf16(text, false)));
    ExpectSampleTexts(ParseLanguageFile(Utf16(text, true)));
    ExpectSampleTexts(ParseLanguageFile(Cp1251(text)));
}

TEST(LanguageFile, WithoutAMarkTheCodePageFollowsTheFilesOwnLanguage) {
    // "\xC0\xE1" is "Аб" in windows-1251 and "Àá" in windows-1252.
    const tTranslation english = ParseLanguageFile("LANGID=1033\n[fmMain]\n1=\xC0\xE1\n");
    EXPECT_EQ(english.Section(QStringLiteral("fmMain"))->value(1), QStringLiteral("Àá"));
    const tTranslation russian = ParseLanguageFile("LANGID=1049\n[fmMain]\n1=\xC0\xE1\n");
    EXPECT_EQ(russian.Section(QStringLiteral("fmMain"))->value(1), QStringLiteral("Аб"));
    const tTranslation none = ParseLanguageFile("[fmMain]\n1=\x80\n");
    EXPECT_EQ(none.Section(QStringLiteral("fmMain"))->value(1), QStringLiteral("€"));
}

TEST(LanguageFile, LinesAreTrimmedAndRemarksAndBadHeadersAreSkipped) {
    const tTranslation t = ParseLanguageFile(
        "  LANGID =  1087 \t\r"
        "; 5=remark\n"
        "[  fmAbout\t ]\r\n"
        "\t 6 =  OK  \n"
        "[]\n"       // too short: still fmAbout
        "[fmMain\n"  // not closed: still fmAbout
        "1=Caption\n"
        "no equals sign\n"
        " = no name\n"
        "x=not an ID\n"
        "0=not positive\n"
        "-3=not positive\n"
        "2=a=b\n"
        "3=\n");
    EXPECT_EQ(t.LanguageId(), 1087);
    EXPECT_EQ(t.SectionNames(), QStringList{QStringLiteral("fmAbout")});
    const QHash<int, QString>* about = t.Section(QStringLiteral("fmabout"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->size(), 4);
    EXPECT_EQ(about->value(6), QStringLiteral("OK"));
    EXPECT_EQ(about->value(1), QStringLiteral("Caption"));
    EXPECT_EQ(about->value(2), QStringLiteral("a=b"));
    EXPECT_TRUE(about->contains(3));
    EXPECT_TRUE(about->value(3).isEmpty());
}

TEST(LanguageFile, EscapesAreDecodedAndABlankEscapeSurvivesTrimming) {
    EXPECT_EQ(DecodeEscapes(QStringLiteral("\\32ед.\\32")), QStringLiteral(" ед. "));
    EXPECT_EQ(DecodeEscapes(QStringLiteral("a\\nb\\tc\\\\d")), QStringLiteral("a\r\nb\tc\\d"));
    EXPECT_EQ(DecodeEscapes(QStringLiteral("\\\\n")), QStringLiteral("\\n"));
    EXPECT_EQ(DecodeEscapes(QStringLiteral("\\65\\9x\\q\\")), QStringLiteral("A\\9x\\q\\"));
    EXPECT_EQ(DecodeEscapes(QStringLiteral("C:\\Temp")), QStringLiteral("C:\\Temp"));

    const tTranslation t = ParseLanguageFile(
        "[$CONSTANTS]\nLC_POWER_UNITS = \\32units \nLC_CALIBLATE_WARN=One\\n\\nTwo?\n");
    QString units, warn;
    ASSERT_TRUE(t.FindConstant(QStringLiteral("LC_POWER_UNITS"), &units));
    ASSERT_TRUE(t.FindConstant(QStringLiteral("LC_CALIBLATE_WARN"), &warn));
    EXPECT_EQ(units, QStringLiteral(" units"));
    EXPECT_EQ(warn, QStringLiteral("One\r\n\r\nTwo?"));
}

TEST(LanguageFile, FailuresNameTheLineCountedFromZeroAndTheReason) {
    // The tenth line repeats a constant (in another letter case), as does a foreign file
    // saved in windows-1251.
    const QByteArray tenthLine = Cp1251(
        QStringLiteral("LANGID=1049\r\n; Русский\r\n\r\n[$CONSTANTS]\r\nLC_CONN_NONE=<НЕТ>\r\n"
                       "LC_POWER_0=Мощность\r\n\r\n;\r\n[$constants]\r\nlc_conn_none=<нет>\r\n"));
    EXPECT_EQ(FailureOf(tenthLine), QStringLiteral("Loading translations failed.\r\nLine 9: "
                                                   "Duplicate constant name (\"lc_conn_none\")"));
    EXPECT_EQ(FailureOf("[$CONSTANTS]\nLC_OK=1\n9LIVES=2\n"),
              QStringLiteral("Loading translations failed.\r\nLine 2: "
                             "Invalid constant name (\"9LIVES\")"));
    EXPECT_EQ(FailureOf("[$CONSTANTS]\nLC-DASH=1\n"),
              QStringLiteral("Loading translations failed.\r\nLine 1: "
                             "Invalid constant name (\"LC-DASH\")"));
    // Sections of the same name, in any case, are one section.
    EXPECT_EQ(FailureOf("[fmMain]\n7=a\n[Other]\n7=b\n[FMMAIN]\n07=c\n"),
              QStringLiteral("Loading translations failed.\r\nLine 5: "
                             "Duplicate property value translation ID (7)"));
}

TEST(LanguageFile, LanguageIdKeepsItsLow16BitsAndIsZeroWhenUnusable) {
    EXPECT_EQ(ParseLanguageFile("LANGID=66623\n").LanguageId(), 1087);  // 0x10000 + 1087
    EXPECT_EQ(ParseLanguageFile("langid=$43F\n").LanguageId(), 1087);
    EXPECT_EQ(ParseLanguageFile("LANGID=Kazakh\n").LanguageId(), 0);
    EXPECT_EQ(ParseLanguageFile("LANGID=0\n").LanguageId(), 0);
    EXPECT_EQ(ParseLanguageFile("LANGID=65536\n").LanguageId(), 0);
    EXPECT_EQ(ParseLanguageFile("NAME=x\n").LanguageId(), 0);
    // A LANGID after the first section is not part of the header.
    EXPECT_EQ(ParseLanguageFile("[fmMain]\nLANGID=1087\n").LanguageId(), 0);
}

TEST(LanguageFile, TheHeaderReaderStopsAtTheFirstSection) {
    TempFolder folder;
    const QString path =
        folder.Write(QStringLiteral("a.lng"), "LANGID=1087\n[$CONSTANTS]\nA=1\nA=2\n");
    EXPECT_EQ(ReadLanguageFileHeader(path).LanguageId(), 1087);
    EXPECT_THROW(ReadLanguageFile(path), Exception);
    try {
        ReadLanguageFile(folder.Path(QStringLiteral("missing.lng")));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open file \"")));
    }
}
