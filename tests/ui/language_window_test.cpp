// The interface language applied to the main window at start: every translatable text reaching
// its component, the shipped files, the built-in language and a file that fails to load.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>

#include "base/builtin_texts.h"
#include "lang/qstring_printer.h"
#include "lang/window_texts.h"
#include "model/channels.h"
#include "support/message_box_answerer.h"
#include "ui/chart.h"
#include "ui/language_fixture.h"
#include "ui/save_dialog.h"
#include "ui/value_list_editor.h"

namespace {
// Texts that the window sets again after the translation: the range lists' selections, and the
// motor label, which the connect rule writes from its constant while no ball is connected.
bool IsRewrittenText(int id) {
    return id == 120 || id == 122 || id == 119;
}

// A text of its own for every ID, in the form its property takes; lists get two lines.
QString MarkerText(const tTranslatableText& text, bool escaped) {
    const QString id = QString::number(text.id);
    const QString lineBreak = escaped ? QStringLiteral("\\n") : QStringLiteral("\r\n");
    if (text.property == QLatin1String("SecondaryShortCuts")) return QStringLiteral("Alt+F7");
    if (text.property == QLatin1String("Filter")) return "T" + id + " (*.t)|*.t";
    if (text.property == QLatin1String("Strings"))
        return "K" + id + "a=1" + lineBreak + "K" + id + "b=2";
    if (tLanguageController::IsListProperty(text.property))
        return "T" + id + "a" + lineBreak + "T" + id + "b";
    return "T" + id;
}

QByteArray MarkerFile() {
    QString file = QStringLiteral("\uFEFFLANGID=1087\r\n[fmMain]\r\n");
    for (const tTranslatableText& text : MainWindowTexts())
        file += QString::number(text.id) + u'=' + MarkerText(text, true) + QStringLiteral("\r\n");
    return file.toUtf8();
}

bool AllChannelsChecked(const TfmMain& w) {
    for (int i = 0; i < w.chSeries->count(); ++i)
        if (w.chSeries->item(i)->checkState() != Qt::Checked) return false;
    return w.chSeries->count() == kChannelCount;
}

QString QtCancel() {
    return QCoreApplication::translate("QPlatformTheme", "Cancel");
}
}  // namespace

TEST(WindowLanguage, EveryTranslatableTextReachesItsComponentAndComesBack) {
    LanguageWindow f("LanguageID=1087\r\n");
    f.Write(QStringLiteral("marker.lng"), MarkerFile());
    MessageBoxAnswerer answerer;
    TfmMain& w = f.Build();
    ASSERT_TRUE(answerer.seen().isEmpty()) << answerer.seen()[0].text.toStdString();
    ASSERT_EQ(w.LangController->Count(), 190);
    for (const tTranslatableText& text : MainWindowTexts()) {
        if (IsRewrittenText(text.id)) continue;
        EXPECT_EQ(w.WindowText(text.id), MarkerText(text, false)) << text.id;
    }
    // Read back from the widgets themselves, not only through the window's readers.
    EXPECT_EQ(w.pcChart->tabText(w.pcChart->indexOf(w.tsGyroAng)), QStringLiteral("T169"));
    EXPECT_EQ(w.miDevice->title(), QStringLiteral("T227"));
    EXPECT_TRUE(w.findChild<QAction*>(QStringLiteral("miFileExit"))->text().startsWith("T17\t"));
    EXPECT_EQ(w.acFileExit->shortcuts().value(1), QKeySequence(Qt::ALT | Qt::Key_F7));
    EXPECT_EQ(w.chAll->RightAxis()->label(), QStringLiteral("T192"));
    EXPECT_EQ(w.MasterSeries(8)->Title(), QStringLiteral("T217"));
    EXPECT_EQ(w.cbGyro->count(), 2);
    EXPECT_EQ(w.vlePulse->horizontalHeaderItem(1)->text(), QStringLiteral("T224b"));
    EXPECT_EQ(w.sd->nameFilters(), QStringList{QStringLiteral("T271 (*.t)")});
    EXPECT_EQ(w.chSeries->count(), 2);
    EXPECT_TRUE(w.chSeries->item(0)->checkState() == Qt::Checked &&
                w.chSeries->item(1)->checkState() == Qt::Checked);

    // An identifier that no file has brings back what the window held when it was built.
    f.Manager().SelectLanguage(4242);
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangRussian);
    for (const tTranslatableText& text : MainWindowTexts()) {
        if (IsRewrittenText(text.id)) continue;
        EXPECT_EQ(w.WindowText(text.id), w.LangController->Find(text.id)->builtIn) << text.id;
    }
    EXPECT_EQ(w.acFileExit->shortcuts().value(1), QKeySequence(Qt::ALT | Qt::Key(0x0427)));
    EXPECT_TRUE(AllChannelsChecked(w));
}

TEST(WindowLanguage, TheBuiltInValuesAreTheWindowsDesign) {
    LanguageWindow f("");
    TfmMain& w = f.Build();
    for (const tTranslatableText& text : MainWindowTexts()) {
        // Qt's tool bar separators carry no caption.
        if (text.component.startsWith(QLatin1String("tbSeparator"))) continue;
        EXPECT_EQ(w.LangController->Find(text.id)->builtIn, text.builtIn) << text.id;
    }
}

TEST(WindowLanguage, TheKazakhFileTranslatesTheWindowTheConstantsAndTheMessages) {
    LanguageWindow f("LanguageID=1087\r\n");
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangKazakh);
    EXPECT_EQ(w.acDeviceConnect->text(), QStringLiteral("Қ&осылу..."));
    EXPECT_EQ(w.pcChart->tabText(0), QStringLiteral("Үдеу және бұрыштық жылдамдық"));
    EXPECT_EQ(w.chAccGyro->RightAxis()->label(), QStringLiteral("Бұрыштық жылдамдық, °/с"));
    EXPECT_EQ(LangConst(QStringLiteral("LC_POWER_0")), QStringLiteral("Қуаты: 0 бірл."));
    EXPECT_EQ(ChannelNames[6], LangConst(QStringLiteral("LC_SENS_6")));
    EXPECT_EQ(LoadStr(20000), QStringLiteral("Қателік"));
    EXPECT_EQ(QtCancel(), QStringLiteral("Отмена"));  // Qt has no Kazakh of its own
    // The translated range lists show the entries of the design, and every channel is checked.
    EXPECT_EQ(w.cbAcc->currentIndex(), 3);
    EXPECT_EQ(w.cbAcc->currentText(), QStringLiteral("± 2g"));
    EXPECT_EQ(w.cbGyro->currentIndex(), 0);
    EXPECT_EQ(w.cbGyro->currentText(), QStringLiteral("2000 °/с"));
    EXPECT_TRUE(AllChannelsChecked(w));
    const QList<QAction*> entries = w.miFileLanguage->actions();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Русский"));
    EXPECT_EQ(entries[1]->text(), QStringLiteral("Қазақ тілі"));
    EXPECT_TRUE(entries[1]->isChecked() && !entries[0]->isChecked());
}

TEST(WindowLanguage, EnglishShowsEnglishRowsThatTheProgramStillFindsByItsKeys) {
    LanguageWindow f("LanguageID=1033\r\n");
    f.Ship("english.lng");
    f.Ship("kazakh.lng");
    TfmMain& w = f.Build();
    EXPECT_EQ(w.miFileLanguage->actions().size(), 3);
    EXPECT_EQ(w.vleData->KeyAt(0), QStringLiteral("ax, m/s^2"));
    EXPECT_EQ(w.vleData->KeyAt(11), QStringLiteral("dt, s"));
    w.vleData->SetValue(ChannelRowKey(0), QStringLiteral("9.81"));
    w.vleData->SetValue(TimeSpanRowKey(), QStringLiteral("0.5"));
    EXPECT_EQ(w.vleData->RowCount(), 12);
    EXPECT_EQ(w.vleData->ValueAt(0), QStringLiteral("9.81"));
    EXPECT_EQ(w.vleData->ValueAt(11), QStringLiteral("0.5"));
    EXPECT_EQ(ChannelNames[6], QStringLiteral("fx"));
    EXPECT_EQ(w.chAccAng->LegendTexts().value(3), QStringLiteral("fx"));
    EXPECT_EQ(LoadStr(5003), QStringLiteral("Do you really want to exit the program?"));
    EXPECT_EQ(QtCancel(), QStringLiteral("Cancel"));
}

TEST(WindowLanguage, WithoutAFileForTheSavedLanguageTheWindowStaysBuiltIn) {
    LanguageWindow f("LanguageID=1087\r\n");
    f.Write(QStringLiteral("notes.txt"), "LANGID=1087\r\n");  // not a language file by its name
    TfmMain& w = f.Build();
    const QList<QAction*> entries = w.miFileLanguage->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text(), QStringLiteral("Русский"));
    EXPECT_TRUE(entries[0]->isChecked());
    EXPECT_EQ(w.acDeviceConnect->text(), QStringLiteral("П&одключение..."));
    EXPECT_EQ(ChannelNames[6], QStringLiteral("фx"));  // Latin x: the constants do not refill it
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangRussian);
    EXPECT_TRUE(AllChannelsChecked(w));
    EXPECT_EQ(w.cbAcc->currentIndex(), 3);
}

// A file this program did not write: 8-bit cp1251 without a mark, its tenth line a constant
// that it has already.
TEST(WindowLanguage, AFileThatFailsToLoadIsShownAndTheWindowOpensBuiltIn) {
    LanguageWindow f("LanguageID=1087\r\n");
    f.Ship("english.lng");
    QByteArray file =
        "; \xCA\xE0\xE7\xE0\xF5\xF1\xEA\xE8\xE9\r\nLANGID=1087\r\n\r\n[$CONSTANTS]\r\n";
    file += "LC_POWER_0=\xCA\xF3\xE0\xF2\xFB: 0\r\n";
    for (int i = 0; i < 4; ++i) file += "; -\r\n";
    file += "LC_POWER_0=\xCA\xF3\xE0\xF2\xFB\r\n[fmMain]\r\n235=X\r\n";
    f.Write(QStringLiteral("kazakh.lng"), file);
    MessageBoxAnswerer answerer;
    TfmMain& w = f.Build();
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_EQ(answerer.seen()[0].text,
              QStringLiteral("Loading translations failed.\r\nLine 9: Duplicate constant name "
                             "(\"LC_POWER_0\")"));
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(w.acDeviceConnect->text(), QStringLiteral("П&одключение..."));
    EXPECT_EQ(LangConst(QStringLiteral("LC_POWER_0")), QStringLiteral("Мощность: 0 ед."));
    EXPECT_EQ(ChannelNames[6], QStringLiteral("фx"));
    EXPECT_EQ(w.cbAcc->currentText(), QStringLiteral("± 2g"));
    EXPECT_EQ(w.cbGyro->currentText(), QStringLiteral("2000 °/сек"));
    EXPECT_TRUE(AllChannelsChecked(w));
    // The wanted entry keeps its check; the built-in language is the current one, so the
    // English file beside it reaches no window.
    const QList<QAction*> entries = w.miFileLanguage->actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[2]->isChecked());
    EXPECT_EQ(f.Manager().GetCurrentLanguage(), kLangRussian);
}
