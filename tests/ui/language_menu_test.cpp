// The language menu: a pick is saved for the next start and nothing else changes now.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QMenu>

#include "base/builtin_texts.h"
#include "lang/qstring_printer.h"
#include "support/message_box_answerer.h"
#include "ui/language_fixture.h"

namespace {
QList<QAction*> Entries(const TfmMain& w) {
    return w.miFileLanguage->actions();
}

int CheckedEntry(const TfmMain& w) {
    const QList<QAction*> entries = Entries(w);
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i]->isChecked()) return i;
    return -1;
}

// Picks a menu entry as the user does; a notice it shows is answered before this returns.
void Pick(QAction* entry) {
    entry->trigger();
}
}  // namespace

TEST(LanguageMenu, PickingTheCheckedEntryDoesNothing) {
    const QByteArray settings = "Timeout=0\nLanguageID=1087";  // no line end: a save would add one
    LanguageWindow f(settings);
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    MessageBoxAnswerer answerer;
    Pick(Entries(w)[1]);
    EXPECT_EQ(f.Folder().Read(QStringLiteral("mirelvane.cfg")), settings);
    EXPECT_TRUE(answerer.seen().isEmpty());
    EXPECT_EQ(CheckedEntry(w), 1);
}

TEST(LanguageMenu, AnotherEntryIsSavedForTheNextStartAndAsksForARestart) {
    LanguageWindow f("; the ball on the desk\r\nPorts=/dev/null\r\nOneLanguage=0");
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    MessageBoxAnswerer answerer;
    Pick(Entries(w)[1]);
    EXPECT_EQ(f.Folder().Read(QStringLiteral("mirelvane.cfg")),
              "; the ball on the desk\r\nPorts=/dev/null\r\nOneLanguage=0\r\nLanguageID=1087\r\n");
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_EQ(answerer.seen()[0].text, QStringLiteral("Restart application to apply changes."));
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Внимание"));
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Information);
    EXPECT_EQ(CheckedEntry(w), 1);
    // The interface keeps its language until the next start.
    EXPECT_EQ(w.acDeviceConnect->text(), QStringLiteral("П&одключение..."));
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangRussian);

    // Back again: the line is changed in place.
    Pick(Entries(w)[0]);
    EXPECT_EQ(f.Folder().Read(QStringLiteral("mirelvane.cfg")),
              "; the ball on the desk\r\nPorts=/dev/null\r\nOneLanguage=0\r\nLanguageID=1049\r\n");
    EXPECT_EQ(answerer.seen().size(), 2);
    EXPECT_EQ(CheckedEntry(w), 0);
}

TEST(LanguageMenu, ASettingsFileThatCannotBeWrittenShowsTheErrorAndKeepsTheCheck) {
    LanguageWindow f("Timeout=0\r\n");
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    // A folder in the file's place: nothing can be written there, not even by root.
    const QString cfg = f.Folder().Path(QStringLiteral("mirelvane.cfg"));
    ASSERT_TRUE(QFile::remove(cfg));
    ASSERT_TRUE(QDir().mkdir(cfg));
    MessageBoxAnswerer answerer;
    Pick(Entries(w)[1]);
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_TRUE(answerer.seen()[0].text.startsWith("Cannot create file \"" + cfg + "\". "))
        << answerer.seen()[0].text.toStdString();
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(CheckedEntry(w), 0);
}

TEST(LanguageMenu, OneLanguageHidesTheMenuYetTheSavedLanguageApplies) {
    LanguageWindow f("OneLanguage=1\r\nLanguageID=1087\r\n");
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    EXPECT_FALSE(w.miFileLanguage->menuAction()->isVisible());
    EXPECT_FALSE(w.miFileSeparator1->isVisible());
    EXPECT_EQ(w.miFile->title(), QStringLiteral("&Файл"));
    EXPECT_EQ(w.acFileExit->text(), QStringLiteral("&Шығу..."));
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangKazakh);
}
