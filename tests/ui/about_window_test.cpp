// The about window: its design, the version block it shows, its languages and its badge.
#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "app/functions.h"
#include "base/builtin_texts.h"
#include "lang/language_manager.h"
#include "lang/qstring_printer.h"
#include "ui/aboutfm.h"
#include "ui/language_fixture.h"

// Takes the addresses that the window hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) { urls << url; }

public:
    QList<QUrl> urls;
};

namespace {
QByteArray ProgramWithVersionBlock(bool withFileVersion) {
    QList<QPair<QByteArray, QByteArray>> strings{{"FileDescription", "Mirelvane"},
                                                 {"LegalCopyright", "© 2026 the ball's makers"}};
    if (withFileVersion)
        strings.append(qMakePair(QByteArray("FileVersion"), QByteArray("1.2.3.4")));
    return QByteArray(
               "\x7f"
               "ELF and code before the block") +
           MakeVersionBlock(strings) + "after";
}

const QByteArray kKazakhAbout =
    "\xEF\xBB\xBFLANGID=1087\r\n[fmAbout]\r\n1=Бағдарлама туралы...\r\n2=X\r\n3=Y\r\n4=Z\r\n"
    "5=https://example.org/kk\r\n6=Жарайды\r\n";

// A manager on a constants table of its own, and the main thread's string table put back.
class AboutWindowTest : public ::testing::Test {
protected:
    AboutWindowTest() : savedThreadLanguage_(ThreadUILanguage()), manager(&constants) {
        manager.SetBaseLanguage(kLangRussian);
        program = folder.Write(QStringLiteral("mirelvane"), ProgramWithVersionBlock(true));
    }
    ~AboutWindowTest() override { SetThreadUILanguage(savedThreadLanguage_); }

    int savedThreadLanguage_;
    TempFolder folder;
    QString program;
    tLangConstants constants;
    tLanguageManager manager;
};

struct SeenAbout {
    QPointer<TfmAbout> window;
    QString title;
    QString version;
};

// The main window beside a program file with a version block and one shipped language file.
TfmMain& BuildBesideTheProgram(LanguageWindow& f, const char* languageFile) {
    f.Ship(languageFile);
    f.Write(QStringLiteral("mirelvane"), ProgramWithVersionBlock(true));
    return f.Build();
}

// Opens the about window through the main window's action and closes it with its OK button.
SeenAbout OpenAbout(TfmMain& w) {
    SeenAbout seen;
    QTimer::singleShot(0, &w, [&w, &seen] {
        auto* about = w.findChild<TfmAbout*>();
        if (!about) return;
        seen = {about, about->windowTitle(), about->lbVersion->text()};
        about->bnOk->click();
    });
    w.acHelpAbout->trigger();
    return seen;
}
}  // namespace

TEST_F(AboutWindowTest, ShowsTheVersionBlockInTheDesignedLayout) {
    TfmAbout about(nullptr, program, &manager);
    EXPECT_EQ(about.objectName(), QStringLiteral("fmAbout"));
    EXPECT_EQ(about.minimumSize(), QSize(235, 279));
    EXPECT_EQ(about.maximumSize(), QSize(235, 279));
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе..."));
    EXPECT_EQ(about.lbFileName->text(), QStringLiteral("Mirelvane"));
    EXPECT_EQ(about.lbCopyright->text(), QStringLiteral("© 2026 the ball's makers"));
    EXPECT_EQ(about.lbVersion->text(), QStringLiteral("Версия: 1.2.3.4"));
    EXPECT_EQ(about.lbVersion->geometry(), QRect(10, 132, 195, 17));
    EXPECT_EQ(about.pnMain->geometry(), QRect(8, 8, 215, 226));
    EXPECT_EQ(about.bnOk->geometry(), QRect(80, 246, 75, 25));
    EXPECT_FALSE(about.imLogo->pixmap().isNull());
    EXPECT_EQ(about.PoweredByUrl(), QStringLiteral("https://www.qt.io/"));
    // Enter presses the default button.
    EXPECT_TRUE(about.bnOk->isDefault());
    about.show();
    QTest::keyClick(&about, Qt::Key_Return);
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}

TEST_F(AboutWindowTest, InKazakhOnlyTheCaptionTheButtonAndTheAddressFollowTheFile) {
    ASSERT_TRUE(manager.AddLanguageFile(folder.Write(QStringLiteral("kk.lng"), kKazakhAbout)));
    manager.SelectLanguage(kLangKazakh);
    SetThreadUILanguage(kLangKazakh);
    TfmAbout about(nullptr, program, &manager);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("Бағдарлама туралы..."));
    EXPECT_EQ(about.bnOk->text(), QStringLiteral("Жарайды"));
    EXPECT_EQ(about.PoweredByUrl(), QStringLiteral("https://example.org/kk"));
    EXPECT_EQ(about.lbFileName->text(), QStringLiteral("Mirelvane"));
    EXPECT_EQ(about.lbCopyright->text(), QStringLiteral("© 2026 the ball's makers"));
    EXPECT_EQ(about.lbVersion->text(), QStringLiteral("Нұсқа: 1.2.3.4"));
}

TEST_F(AboutWindowTest, WithoutAFileVersionTheVersionIsAPlaceholder) {
    const QString noVersion = folder.Write(QStringLiteral("old"), ProgramWithVersionBlock(false));
    TfmAbout about(nullptr, noVersion, &manager);
    EXPECT_EQ(about.lbFileName->text(), QStringLiteral("Mirelvane"));
    EXPECT_EQ(about.lbVersion->text(), QStringLiteral("Версия: <?>.<?>.<?>.<?>"));

    TfmAbout bare(nullptr, folder.Write(QStringLiteral("bare"), "no block here"), &manager);
    EXPECT_EQ(bare.lbFileName->text(), QString());
    EXPECT_EQ(bare.lbCopyright->text(), QString());
    EXPECT_EQ(bare.lbVersion->text(), QStringLiteral("Версия: <?>.<?>.<?>.<?>"));
}

TEST_F(AboutWindowTest, TheBadgeOpensItsAddressOnTheDesktop) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    TfmAbout about(nullptr, program, &manager);
    about.show();
    EXPECT_EQ(about.lnkPoweredBy->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(about.lnkPoweredBy, Qt::RightButton);
    QTest::mouseClick(about.lnkPoweredBy, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_EQ(catcher.urls, QList<QUrl>{QUrl(QStringLiteral("https://www.qt.io/"))});
    EXPECT_TRUE(about.isVisible());
}

TEST(AboutFromTheMainWindow, EachOpeningIsANewWindowInTheLanguageInForce) {
    LanguageWindow f("LanguageID=1087\r\n");
    TfmMain& w = BuildBesideTheProgram(f, "kazakh.lng");
    const SeenAbout first = OpenAbout(w);
    const SeenAbout second = OpenAbout(w);
    EXPECT_EQ(first.title, QStringLiteral("Бағдарлама туралы..."));
    EXPECT_EQ(first.version, QStringLiteral("Нұсқа: 1.2.3.4"));
    EXPECT_EQ(second.title, first.title);
    // Each was gone once closed.
    EXPECT_TRUE(first.window.isNull() && second.window.isNull());
    EXPECT_EQ(w.findChild<TfmAbout*>(), nullptr);
}

// With the built-in language chosen, an English file beside the program stays out of the about
// window, which is built after the main window.
TEST(AboutFromTheMainWindow, WithTheBuiltInLanguageNoFilesTextsComeIn) {
    LanguageWindow f("");
    TfmMain& w = BuildBesideTheProgram(f, "english.lng");
    const SeenAbout seen = OpenAbout(w);
    EXPECT_EQ(seen.title, QStringLiteral("О программе..."));
    EXPECT_EQ(seen.version, QStringLiteral("Версия: 1.2.3.4"));
}

#include "about_window_test.moc"
