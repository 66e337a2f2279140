#pragma once

#include <QByteArray>
#include <QString>

// Windows language identifiers that the program names itself (see builtin_texts.h for the two
// of the built-in string tables).
constexpr int kLangEnglish = 1033;

// The locale of a language identifier ("kk_KZ" for 1087); "" when the table does not know it.
QString LocaleNameForLanguageId(int languageId);

// The 8-bit code page of a language (1251 for Russian, Kazakh and Ukrainian, 1252 for English);
// languages the table does not know get 1252, the code page of 1033.
int CodePageForLanguageId(int languageId);

// 8-bit text in a Windows code page. A code page the system cannot decode is read as
// ISO-8859-1, which is windows-1252 without its printable extras.
QString DecodeCodePage(const QByteArray& bytes, int codePage);

// The language's name in that language, with a capital first letter ("Қазақ тілі"); the
// identifier in decimal when the table or the locale data has no name for it.
QString LanguageDisplayName(int languageId);
