#include "ui/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "base/builtin_texts.h"

void ApplyQtTranslation(int languageId) {
    static QTranslator* translator = nullptr;
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (languageId != kLangRussian && languageId != kLangKazakh) return;
    auto* t = new QTranslator;
    if (t->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(t);
        translator = t;
    } else {
        delete t;
    }
}
