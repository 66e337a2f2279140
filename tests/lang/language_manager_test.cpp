#include "lang/language_manager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <memory>

#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "lang/language_controller.h"
#include "lang/qstring_printer.h"
#include "support/temp_folder.h"

namespace {
QByteArray KazakhFile(const char* powerZero = "Қуаты: 0 бірл.") {
    return QByteArray("\xEF\xBB\xBFLANGID=1087\n[$CONSTANTS]\nLC_POWER_0=") + powerZero +
           "\nLC_UNKNOWN=ignored\n[fmMain]\n1=Кнопка\n[fmAbout]\n1=Бағдарлама туралы...\n";
}

const QByteArray kEnglishFile =
    "LANGID=1033\n[$CONSTANTS]\nLC_CONN_NONE=<NONE>\n[fmMain]\n1=Button\n[fmAbout]\n1=About\n";

// A manager on a table of its own, with the program's base language, and two language files.
class LanguageManagerTest : public ::testing::Test {
protected:
    LanguageManagerTest() : manager(&constants) {
        manager.SetBaseLanguage(kLangRussian);
        kazakhPath = folder.Write(QStringLiteral("kazakh.lng"), KazakhFile());
        englishPath = folder.Write(QStringLiteral("english.lng"), kEnglishFile);
    }

    QString Constant(const char* name) const { return constants.GetConstant(QLatin1String(name)); }

    TempFolder folder;
    QString kazakhPath, englishPath;
    tLangConstants constants;
    tLanguageManager manager;
};

// A window with one text (ID 1) that counts its language changes.
struct Window {
    Window(const char* section, tLanguageManager& manager, QStringList* events = nullptr)
        : controller(QString::fromLatin1(section), &manager) {
        controller.AddText(1, QStringLiteral("button"), QStringLiteral("Caption"),
                           QStringLiteral("Кнопка-ru"),
                           [this](const QString& text) { caption = text; });
        controller.OnLanguageChanged = [this, events, section] {
            ++changes;
            if (events) events->append(QString::fromLatin1(section));
        };
    }
    tLanguageController controller;
    QString caption = QStringLiteral("Кнопка-ru");
    int changes = 0;
};
}  // namespace

TEST_F(LanguageManagerTest, FilesWithoutAUsableLanguageIdAreIgnored) {
    EXPECT_FALSE(manager.AddLanguageFile(folder.Write(QStringLiteral("none.lng"), "A=1\n")));
    EXPECT_FALSE(manager.AddLanguageFile(folder.Write(QStringLiteral("zero.lng"), "LANGID=0\n")));
    EXPECT_FALSE(manager.AddLanguageFile(folder.Write(QStringLiteral("word.lng"), "LANGID=kk\n")));
    EXPECT_FALSE(manager.AddLanguageFile(folder.Path(QStringLiteral("missing.lng"))));
    EXPECT_FALSE(manager.AddLanguageFile(folder.Root()));
    // The base language is accepted, yet gets no entry.
    EXPECT_TRUE(manager.AddLanguageFile(folder.Write(QStringLiteral("ru.lng"), "LANGID=1049\n")));
    EXPECT_EQ(manager.GetLanguageCount(), 1);
    EXPECT_EQ(manager.GetLanguageIdAt(0), kLangRussian);
    EXPECT_THROW(manager.GetLanguageIdAt(1), Exception);
}

TEST_F(LanguageManagerTest, ARepeatedLanguageTakesTheLaterPathAtTheEarlierPlace) {
    const QString second = folder.Write(QStringLiteral("kazakh2.lng"), KazakhFile("Екінші"));
    EXPECT_TRUE(manager.AddLanguageFile(kazakhPath));
    EXPECT_TRUE(manager.AddLanguageFile(englishPath));
    EXPECT_TRUE(manager.AddLanguageFile(second));
    ASSERT_EQ(manager.GetLanguageCount(), 3);
    EXPECT_EQ(manager.GetLanguageIdAt(1), kLangKazakh);
    EXPECT_EQ(manager.GetLanguagePathAt(1), second);
    EXPECT_EQ(manager.GetLanguageIdAt(2), 1033);
    EXPECT_EQ(manager.LanguageIndexOf(1033), 2);
    EXPECT_EQ(manager.LanguageIndexOf(kLangRussian), 0);
    EXPECT_EQ(manager.LanguageIndexOf(1058), 0);
    manager.SelectLanguage(kLangKazakh);
    EXPECT_EQ(Constant("LC_POWER_0"), QStringLiteral("Екінші"));
}

TEST_F(LanguageManagerTest, TheSearchGoesByNameMatchesTheMaskAndEntersSubfoldersOnlyWhenAsked) {
    QDir(folder.Root()).mkpath(QStringLiteral("more.lng"));
    folder.Write(QStringLiteral("more.lng/ukrainian.lng"), "LANGID=1058\n");
    folder.Write(QStringLiteral("a_second_kazakh.lng"), KazakhFile("A"));
    folder.Write(QStringLiteral("notes.txt"), "LANGID=1059\n");
    folder.Write(QStringLiteral("broken.lng"), "no language\n");
    // a_second_kazakh, broken, english, kazakh: three accepted; kazakh's path wins.
    EXPECT_EQ(manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), false), 3);
    ASSERT_EQ(manager.GetLanguageCount(), 3);
    EXPECT_EQ(manager.GetLanguageIdAt(1), kLangKazakh);
    EXPECT_EQ(manager.GetLanguagePathAt(1), kazakhPath);
    EXPECT_EQ(manager.GetLanguageIdAt(2), 1033);
    EXPECT_EQ(manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), true), 4);
    EXPECT_EQ(manager.GetLanguageIdAt(3), 1058);
    EXPECT_EQ(manager.GetLanguageNameAt(0), QStringLiteral("Русский"));
    EXPECT_EQ(manager.GetLanguageNameAt(1), QStringLiteral("Қазақ тілі"));
}

TEST_F(LanguageManagerTest, SelectionAppliesConstantsThenEveryWindowInOrderOnlyOnChange) {
    manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), false);
    QStringList events;
    Window main("fmMain", manager, &events);
    Window about("FMABOUT", manager, &events);
    manager.SelectLanguage(kLangKazakh);
    EXPECT_EQ(manager.GetCurrentLanguage(), kLangKazakh);
    EXPECT_EQ(manager.GetCodePage(), 1251);
    EXPECT_EQ(Constant("LC_POWER_0"), QStringLiteral("Қуаты: 0 бірл."));
    EXPECT_EQ(Constant("LC_CONN_NONE"), QStringLiteral("<НЕТ>"));
    EXPECT_EQ(main.caption, QStringLiteral("Кнопка"));
    EXPECT_EQ(about.caption, QStringLiteral("Бағдарлама туралы..."));
    EXPECT_EQ(events, (QStringList{QStringLiteral("fmMain"), QStringLiteral("FMABOUT")}));

    // Again: nothing is applied, nothing raised.
    manager.SelectLanguage(kLangKazakh);
    EXPECT_EQ(main.changes, 1);

    // A constant the next file leaves out goes back to its built-in text.
    manager.SelectLanguage(1033);
    EXPECT_EQ(Constant("LC_POWER_0"), QStringLiteral("Мощность: 0 ед."));
    EXPECT_EQ(Constant("LC_CONN_NONE"), QStringLiteral("<NONE>"));
    EXPECT_EQ(main.caption, QStringLiteral("Button"));

    // A language no file has: the base language, with every built-in text.
    manager.SelectLanguage(1058);
    EXPECT_EQ(manager.GetCurrentLanguage(), kLangRussian);
    EXPECT_EQ(Constant("LC_CONN_NONE"), QStringLiteral("<НЕТ>"));
    EXPECT_EQ(main.caption, QStringLiteral("Кнопка-ru"));
    EXPECT_EQ(main.changes, 3);
}

TEST_F(LanguageManagerTest, AFileThatFailsToLoadChangesNothing) {
    manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), false);
    Window main("fmMain", manager);
    folder.Write(QStringLiteral("kazakh.lng"),
                 "LANGID=1087\n[$CONSTANTS]\nLC_POWER_0=a\nLC_POWER_0=b\n");
    try {
        manager.SelectLanguage(kLangKazakh);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Loading translations failed.\r\nLine 3: "
                                              "Duplicate constant name (\"LC_POWER_0\")"));
    }
    EXPECT_EQ(manager.GetCurrentLanguage(), 1033);
    EXPECT_EQ(manager.GetCodePage(), 1252);
    EXPECT_EQ(Constant("LC_POWER_0"), QStringLiteral("Мощность: 0 ед."));
    EXPECT_EQ(main.changes, 0);
}

TEST_F(LanguageManagerTest, ALaterWindowGetsTheCurrentFileUnlessTheBaseLanguageWasSelected) {
    manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), false);
    {
        // The base language changed, the current one is still 1033, which a file has.
        Window about("fmAbout", manager);
        about.controller.Loaded();
        EXPECT_EQ(about.caption, QStringLiteral("About"));
        EXPECT_EQ(about.changes, 1);
    }
    // Choosing the built-in language makes it current, so no file's text leaks in.
    manager.SelectLanguage(kLangRussian);
    EXPECT_EQ(manager.GetCurrentLanguage(), kLangRussian);
    Window about("fmAbout", manager);
    about.controller.Loaded();
    EXPECT_EQ(about.caption, QStringLiteral("Кнопка-ru"));
    EXPECT_EQ(about.changes, 0);
}

TEST_F(LanguageManagerTest, ADestroyedWindowIsNoLongerTranslated) {
    manager.FindLanguageFiles(folder.Root(), QStringLiteral("*.lng"), false);
    auto gone = std::make_unique<Window>("fmMain", manager);
    gone.reset();
    Window kept("fmMain", manager);
    manager.SelectLanguage(kLangKazakh);  // would crash on a dangling controller
    EXPECT_EQ(kept.caption, QStringLiteral("Кнопка"));
}

TEST(LangManager, ServesTheProcessTableFromTheStartLanguage) {
    tLanguageManager& manager = LangManager();
    EXPECT_EQ(&manager, &LangManager());
    EXPECT_EQ(manager.GetCurrentLanguage(), 1033);
    EXPECT_EQ(manager.GetConstant(QStringLiteral("lc_power_0")), LangConst("LC_POWER_0"));
    EXPECT_THROW(manager.GetConstant(QStringLiteral("LC_NONE")), Exception);
}
