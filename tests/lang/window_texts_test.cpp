#include "lang/window_texts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSet>
#include <set>

#include "base/builtin_texts.h"
#include "lang/language_file.h"
#include "lang/qstring_printer.h"

namespace {
// The IDs of the main window, rule by rule.
std::set<int> ExpectedMainWindowIds() {
    std::set<int> ids{2, 3, 4, 6, 7, 268, 269, 228, 309, 310, 192, 220, 221, 222, 223, 224, 270, 271};
    for (int first : {16, 20, 283, 300, 303, 306}) ids.insert({first, first + 1, first + 2});
    for (int first = 229; first <= 265; first += 3) ids.insert({first, first + 1, first + 2});
    for (int id : {114, 119, 124, 125, 147, 169, 191, 225, 226, 227, 272, 282}) ids.insert(id);
    for (int id = 273; id <= 281; ++id) ids.insert(id);
    for (int id = 120; id <= 123; ++id) ids.insert(id);
    for (int first : {126, 148, 170}) ids.insert({first, first + 1, first + 2});
    for (int id = 129; id <= 146; ++id) ids.insert(id);
    for (int id = 151; id <= 168; ++id) ids.insert(id);
    for (int id = 173; id <= 190; ++id) ids.insert(id);
    for (int id = 193; id <= 219; ++id) ids.insert(id);
    return ids;
}

std::set<int> IdsOf(const std::vector<tTranslatableText>& table) {
    std::set<int> ids;
    for (const tTranslatableText& text : table) ids.insert(text.id);
    return ids;
}

tTranslation ShippedFile(const char* name) {
    return ReadLanguageFile(QDir(QStringLiteral(MIRELVANE_SOURCE_DIR "/config")).filePath(name));
}

// The accelerator letter of a caption, lower-cased; 0 when it has none.
QChar Accelerator(const QString& caption) {
    const int at = caption.indexOf(u'&');
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toLower() : QChar();
}
}  // namespace

TEST(WindowTexts, TheMainWindowHasExactlyItsIdsOnce) {
    EXPECT_EQ(MainWindowTexts().size(), 190u);
    EXPECT_EQ(IdsOf(MainWindowTexts()), ExpectedMainWindowIds());
    EXPECT_EQ(IdsOf(AboutWindowTexts()), (std::set<int>{1, 2, 3, 4, 5, 6}));
}

TEST(WindowTexts, EachShippedFileTranslatesEveryTextAndConstant) {
    for (const auto& [name, id] :
         {std::pair{"kazakh.lng", kLangKazakh}, std::pair{"english.lng", 1033}}) {
        SCOPED_TRACE(name);
        const tTranslation file = ShippedFile(name);
        EXPECT_EQ(file.LanguageId(), id);
        const QHash<int, QString>* main = file.Section(QStringLiteral("fmMain"));
        const QHash<int, QString>* about = file.Section(QStringLiteral("fmAbout"));
        ASSERT_TRUE(main && about);
        std::set<int> mainIds, aboutIds;
        for (auto it = main->begin(); it != main->end(); ++it) mainIds.insert(it.key());
        for (auto it = about->begin(); it != about->end(); ++it) aboutIds.insert(it.key());
        EXPECT_EQ(mainIds, IdsOf(MainWindowTexts()));
        EXPECT_EQ(aboutIds, IdsOf(AboutWindowTexts()));
        const tLangConstants& constants = LangConstants();
        EXPECT_EQ(file.ConstantCount(), constants.Count());
        for (int i = 0; i < constants.Count(); ++i)
            EXPECT_TRUE(file.FindConstant(constants.At(i).name, nullptr))
                << constants.At(i).name.toStdString();
        // The value table keeps its twelve rows, whatever they are called.
        EXPECT_EQ(SplitTextLines(main->value(221)).size(), 12);
        QString units;
        file.FindConstant(QStringLiteral("LC_POWER_UNITS"), &units);
        EXPECT_TRUE(units.startsWith(u' '));
    }
}

TEST(WindowTexts, EachMenuKeepsItsAcceleratorsApart) {
    // Caption IDs of the entries of each menu, and the top menu bar.
    const std::vector<std::vector<int>> menus = {
        {282, 284, 251, 257, 254, 263, 17},
        {230, 233, 301},
        {236, 239, 242, 245, 266},
        {114, 226, 227}};
    for (const char* name : {"kazakh.lng", "english.lng"}) {
        const tTranslation file = ShippedFile(name);
        const QHash<int, QString>* main = file.Section(QStringLiteral("fmMain"));
        ASSERT_NE(main, nullptr);
        for (const std::vector<int>& menu : menus) {
            QSet<QChar> seen;
            for (int id : menu) {
                const QChar key = Accelerator(main->value(id));
                EXPECT_FALSE(key.isNull()) << name << " " << id;
                EXPECT_FALSE(seen.contains(key)) << name << " " << id;
                seen.insert(key);
            }
        }
    }
}
