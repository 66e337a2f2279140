#include "lang/language_controller.h"

#include <gtest/gtest.h>

#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "lang/language_file.h"
#include "lang/language_manager.h"
#include "lang/qstring_printer.h"
#include "lang/window_texts.h"

namespace {
class LanguageControllerTest : public ::testing::Test {
protected:
    LanguageControllerTest()
        : manager(&constants), controller(QStringLiteral("fmMain"), &manager) {}

    tLangConstants constants;
    tLanguageManager manager;
    tLanguageController controller;
};
}  // namespace

TEST_F(LanguageControllerTest, ListsArriveSplitAndMissingIdsKeepTheirBuiltInValue) {
    controller.AddTexts(MainWindowTexts());
    QStringList items;
    QString caption = QStringLiteral("unset"), hint = QStringLiteral("unset");
    controller.BindList(121, [&](const QStringList& lines) { items = lines; });
    controller.Bind(114, [&](const QString& text) { caption = text; });
    controller.Bind(18, [&](const QString& text) { hint = text; });
    int changes = 0;
    controller.OnLanguageChanged = [&] { ++changes; };

    const tTranslation kazakh = ParseLanguageFile(
        "\xEF\xBB\xBF[FMMAIN]\n121=a\\nb\\n\\nd\n114=&Файл-kk\n999=no such text\n");
    controller.Apply(&kazakh);
    EXPECT_EQ(items, (QStringList{"a", "b", "", "d"}));
    EXPECT_EQ(caption, QStringLiteral("&Файл-kk"));
    EXPECT_EQ(hint, QStringLiteral("Выйти из программы"));
    EXPECT_EQ(controller.CurrentText(114), QStringLiteral("&Файл-kk"));
    EXPECT_EQ(changes, 1);

    controller.Apply(nullptr);
    EXPECT_EQ(items, (QStringList{"± 16g", "± 8g", "± 4g", "± 2g"}));
    EXPECT_EQ(caption, QStringLiteral("&Файл"));
    EXPECT_EQ(changes, 2);
}

TEST_F(LanguageControllerTest, IdsMustBePositiveUniqueAndKnownToBeBound) {
    controller.AddText(5, QStringLiteral("a"), QStringLiteral("Caption"), QString());
    EXPECT_THROW(controller.AddText(5, QStringLiteral("b"), QStringLiteral("Caption"), QString()),
                 Exception);
    EXPECT_THROW(controller.AddText(0, QStringLiteral("b"), QStringLiteral("Caption"), QString()),
                 Exception);
    EXPECT_THROW(controller.Bind(6, [](const QString&) {}), Exception);
    controller.SetBuiltIn(5, QStringLiteral("as built"));
    EXPECT_EQ(controller.Find(5)->builtIn, QStringLiteral("as built"));
    EXPECT_EQ(controller.Find(6), nullptr);
}

TEST(LanguageControllerLists, SplitAtEveryKindOfLineBreak) {
    EXPECT_EQ(tLanguageController::SplitLines(QStringLiteral("a\r\nb\rc\nd\r\n")),
              (QStringList{"a", "b", "c", "d"}));
    EXPECT_TRUE(tLanguageController::SplitLines(QString()).isEmpty());
}
