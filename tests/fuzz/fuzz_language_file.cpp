// Feeds arbitrary bytes to the language-file reader: reading the header never fails, reading
// the whole file gives a translation or fails with its own text naming a line of the file, and
// the texts apply to a window exactly.
#include <cstdint>
#include <cstdlib>

#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "lang/language_controller.h"
#include "lang/language_file.h"
#include "lang/language_manager.h"
#include "lang/window_texts.h"

namespace {
void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckFailure(const QString& message, const QByteArray& bytes) {
    const QString prefix = QStringLiteral("Loading translations failed.\r\nLine ");
    Check(message.startsWith(prefix));
    bool ok = false;
    const int line = message.mid(prefix.size()).section(u':', 0, 0).toInt(&ok);
    Check(ok && line >= 0 && line < SplitTextLines(DecodeLanguageFileText(bytes)).size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tLangConstants constants;
    static tLanguageManager manager(&constants);
    static tLanguageController window(QStringLiteral("fmMain"), &manager);
    static const bool filled = (window.AddTexts(MainWindowTexts()), true);
    (void)filled;

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int headerId = ParseLanguageFile(bytes, true).LanguageId();
    Check(headerId >= 0 && headerId <= 0xFFFF);
    try {
        const tTranslation translation = ParseLanguageFile(bytes);
        window.Apply(&translation);
        for (const tTranslatableText& text : MainWindowTexts()) {
            const QHash<int, QString>* section = translation.Section(QStringLiteral("fmMain"));
            const QString expected =
                section && section->contains(text.id) ? section->value(text.id) : text.builtIn;
            Check(window.CurrentText(text.id) == expected);
        }
    } catch (const Exception& e) {
        CheckFailure(e.Message(), bytes);
    }
    return 0;
}
