#include "lang/language_ids.h"

#include <QLocale>
#include <QStringDecoder>

namespace {
struct LanguageRow {
    int id;
    const char* locale;
    int codePage;
};

// The primary locale and the default ANSI code page of each identifier we expect to meet.
const LanguageRow kLanguages[] = {
    {1025, "ar_SA", 1256}, {1026, "bg_BG", 1251}, {1029, "cs_CZ", 1250}, {1030, "da_DK", 1252},
    {1031, "de_DE", 1252}, {1032, "el_GR", 1253}, {1033, "en_US", 1252}, {1034, "es_ES", 1252},
    {1035, "fi_FI", 1252}, {1036, "fr_FR", 1252}, {1037, "he_IL", 1255}, {1038, "hu_HU", 1250},
    {1040, "it_IT", 1252}, {1043, "nl_NL", 1252}, {1044, "nb_NO", 1252}, {1045, "pl_PL", 1250},
    {1046, "pt_BR", 1252}, {1049, "ru_RU", 1251}, {1050, "hr_HR", 1250}, {1051, "sk_SK", 1250},
    {1053, "sv_SE", 1252}, {1055, "tr_TR", 1254}, {1058, "uk_UA", 1251}, {1059, "be_BY", 1251},
    {1060, "sl_SI", 1250}, {1061, "et_EE", 1257}, {1062, "lv_LV", 1257}, {1063, "lt_LT", 1257},
    {1068, "az_AZ", 1254}, {1071, "mk_MK", 1251}, {1087, "kk_KZ", 1251}, {1088, "ky_KG", 1251},
    {1091, "uz_UZ", 1254}, {1092, "tt_RU", 1251}, {1104, "mn_MN", 1251}, {2057, "en_GB", 1252},
};

const LanguageRow* FindLanguage(int languageId) {
    for (const LanguageRow& row : kLanguages)
        if (row.id == languageId) return &row;
    return nullptr;
}
}  // namespace

QString LocaleNameForLanguageId(int languageId) {
    const LanguageRow* row = FindLanguage(languageId);
    return row ? QString::fromLatin1(row->locale) : QString();
}

int CodePageForLanguageId(int languageId) {
    const LanguageRow* row = FindLanguage(languageId);
    return row ? row->codePage : 1252;
}

QString DecodeCodePage(const QByteArray& bytes, int codePage) {
    QStringDecoder decoder(QByteArray("windows-" + QByteArray::number(codePage)).constData());
    if (!decoder.isValid()) return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QString LanguageDisplayName(int languageId) {
    const QString localeName = LocaleNameForLanguageId(languageId);
    if (localeName.isEmpty()) return QString::number(languageId);
    const QLocale locale(localeName);
    QString name = locale.nativeLanguageName();
    if (name.isEmpty()) return QString::number(languageId);
    return locale.toUpper(name.left(1)) + name.mid(1);
}
