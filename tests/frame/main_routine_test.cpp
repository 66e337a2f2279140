#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <mutex>
#include <shared_mutex>

#include "app/command_line.h"
#include "app/format_settings.h"
#include "app/log_file.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "device/ballsim_process.h"
#include "device/device.h"
#include "device/measure_thread.h"
#include "main/main_routine.h"
#include "model/journal_folder.h"
#include "model/channels.h"
#include "support/environment.h"
#include "support/message_box_answerer.h"
#include "support/temp_folder.h"
#include "ui/mainfm.h"
#include "ui/qt_translation.h"

namespace {
// Runs the main routine in this process for a program that lives in a temporary folder.
class MainRoutineTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedLog_ = LogFile;
        env_ = std::make_unique<Environment>();
        env_->Set("MIRELVANE_RUNTIME_DIR", dir.Root());
        env_->Set("XDG_CONFIG_HOME", dir.Path("config"));
        env_->Set("XDG_STATE_HOME", dir.Path("state"));
        SetCommandLine(QStringList{"mirelvane", "-LOG"});
        ResetFormatSettings();
    }
    void TearDown() override {
        LogFile = savedLog_;
        env_.reset();
        SetCommandLine(QStringList{"tests"});
        ResetFormatSettings();
    }
    QString Program() const { return dir.Path("mirelvane"); }
    QList<QByteArray> LogLines() const { return dir.Read("mirelvane.log").split('\n'); }

    // Closes the main window once it is shown.
    static void CloseMainWindowSoon() {
        auto* timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [timer] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (qobject_cast<TfmMain*>(w) && w->isVisible() && !QApplication::activeModalWidget()) {
                    w->close();
                    if (!w->isVisible()) timer->deleteLater();
                    return;
                }
        });
        timer->start(20);
    }

    TempFolder dir;

private:
    tLogFile* savedLog_ = nullptr;
    std::unique_ptr<Environment> env_;
};
}  // namespace

// Without settings beside it the program counts as installed: its user's settings come from
// the packaged template, and the log goes to the user's state folder.
TEST_F(MainRoutineTest, AMissingSettingsTemplateIsShownAndLoggedWithoutAStopLine) {
    MessageBoxAnswerer answerer;
    EXPECT_EQ(RunMainRoutine(Program()), 0);
    const QString expected =
        QStringLiteral("Невозможно прочитать настройки из '%1'.\r\nПричина: Файл не найден.")
            .arg(QDir::cleanPath(dir.Root() + "/../share/mirelvane/mirelvane.cfg"));
    ASSERT_EQ(answerer.seen().size(), 1);
    EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Ошибка"));
    EXPECT_EQ(answerer.seen()[0].text, expected);
    EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Critical);
    const QString log = QString::fromUtf8(dir.Read("state/mirelvane/mirelvane.log"));
    EXPECT_TRUE(log.contains(QStringLiteral(" Запуск программы.\r\n")));
    EXPECT_TRUE(log.contains(QStringLiteral(" ") + expected + QStringLiteral("\r\n\r\n")));
    EXPECT_FALSE(log.contains(QStringLiteral("Остановка программы.")));
    EXPECT_EQ(LogFile, nullptr);
}

TEST_F(MainRoutineTest, ANormalRunAsksBeforeClosingAndWritesStartAndStopLines) {
    dir.Write("mirelvane.cfg", "");
    for (int run = 0; run < 2; ++run) {
        ResetFormatSettings();
        MessageBoxAnswerer answerer({QMessageBox::No, QMessageBox::Yes});
        CloseMainWindowSoon();
        EXPECT_EQ(RunMainRoutine(Program()), 0);
        ASSERT_EQ(answerer.seen().size(), 2);  // No kept the window, Yes closed it
        EXPECT_EQ(answerer.seen()[0].title, QStringLiteral("Подтверждение"));
        EXPECT_EQ(answerer.seen()[0].text,
                  QStringLiteral("Вы действительно хотите выйти из программы?"));
        EXPECT_EQ(answerer.seen()[0].defaultButton, QMessageBox::No);
    }
    const QList<QByteArray> lines = LogLines();
    ASSERT_EQ(lines.size(), 7);
    for (int run = 0; run < 2; ++run) {
        EXPECT_TRUE(lines[run * 3].endsWith(QString(" Запуск программы.\r").toUtf8()));
        EXPECT_TRUE(lines[run * 3 + 1].endsWith(QString(" Остановка программы.\r").toUtf8()));
        EXPECT_EQ(lines[run * 3 + 2], QByteArray("\r"));
    }
}

// A shutdown's SIGTERM during a measurement ends the program as a close does, without the exit
// question: every line the stream had read is in the journal, after it an event that names the
// signal and no stop, so that the next start offers to restore it; the log ends with its stop line.
TEST_F(MainRoutineTest, ASigtermEndsTheMeasurementWithEveryLineReadAndTheLogsStopLine) {
    BallsimProcess ball({QStringLiteral("--speed"), QStringLiteral("4"),
                         QStringLiteral("--stream-lines"), QStringLiteral("200")});
    ASSERT_TRUE(ball.IsRunning());
    dir.Write("mirelvane.cfg", "Ports=" + ball.Path().toLocal8Bit() +
                                   "\r\nTimeout=0\r\nCheckCount=2\r\nRecordFolder=records\r\n");
    MessageBoxAnswerer answerer;
    bool busy = false, signalled = false;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        TfmMain* w = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* main = qobject_cast<TfmMain*>(top); main && main->isVisible()) w = main;
        if (!w || busy || signalled || QApplication::activeModalWidget()) return;
        busy = true;
        w->UpdateActions();
        if (!w->IsConnected()) {
            w->acDeviceConnect->trigger();
        } else if (!w->IsMeasuring()) {
            w->acDeviceStart->trigger();
        } else if (w->Device()->MeasureThread()->LinesRead() >= 200) {
            signalled = true;
            ::kill(::getpid(), SIGTERM);
        }
        busy = false;
    });
    driver.start(20);
    EXPECT_EQ(RunMainRoutine(Program()), 0);
    ASSERT_TRUE(signalled);
    EXPECT_TRUE(answerer.seen().isEmpty());

    const QString records = dir.Path("records");
    const QString journal = FindCrashedJournal(records);
    ASSERT_FALSE(journal.isEmpty());
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_EQ(text.count("\nax:"), 200);
    EXPECT_EQ(text.count(" signal SIGTERM\r\n"), 1);
    EXPECT_FALSE(text.contains(" stop\r\n"));
    const QList<QByteArray> lines = LogLines();
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[lines.size() - 3].endsWith(QString(" Остановка программы.\r").toUtf8()));
    EXPECT_TRUE(dir.Read("mirelvane.log").contains("MEASUREMENT ENDED BY SIGTERM"));
}

// Qt's own texts follow the interface language, also those that Qt makes once, when a widget is
// built: the tab bar's scroll buttons that a screen reader announces, and the standard buttons.
TEST_F(MainRoutineTest, QtsOwnTextsFollowTheInterfaceLanguage) {
    QFile::copy(QStringLiteral(MIRELVANE_SOURCE_DIR "/config/english.lng"), dir.Path("english.lng"));
    // Each run starts with the other language's translation in force, as a Russian system
    // locale would leave it for an English interface.
    struct Case {
        QByteArray settings;
        int before;
        QString scrollLeft, yes;
    };
    const int savedThreadLanguage = ThreadUILanguage();
    for (const Case& c : {Case{"LanguageID=1033\r\n", kLangRussian, "Scroll Left", "&Yes"},
                          Case{"LanguageID=1049\r\n", 1033, QString::fromUtf8("Прокрутить влево"),
                               QString::fromUtf8("&Да")}}) {
        dir.Write("mirelvane.cfg", c.settings);
        ApplyQtTranslation(c.before);
        MessageBoxAnswerer answerer({QMessageBox::Yes});
        QStringList scrollButtons;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* window = qobject_cast<TfmMain*>(w);
                if (!window || !window->isVisible() || QApplication::activeModalWidget()) continue;
                for (const QTabBar* bar : window->findChildren<QTabBar*>())
                    for (const QToolButton* b : bar->findChildren<QToolButton*>())
                        scrollButtons << b->accessibleName();
                probe.stop();
                window->close();
            }
        });
        probe.start(20);
        EXPECT_EQ(RunMainRoutine(Program()), 0);
        EXPECT_TRUE(scrollButtons.contains(c.scrollLeft)) << scrollButtons.join(u',').toStdString();
        ASSERT_EQ(answerer.seen().size(), 1);
        EXPECT_TRUE(answerer.seen()[0].buttons.contains(c.yes))
            << answerer.seen()[0].buttons.join(u',').toStdString();
        ApplyQtTranslation(1033);
        SetThreadUILanguage(savedThreadLanguage);
    }
    // The Russian run made the built-in language current again; the constants and channel
    // names go back as well, for the tests after this one.
    {
        std::unique_lock<std::shared_mutex> guard(LangConstants().Lock());
        LangConstants().RestoreBuiltIn();
    }
    RestoreBuiltInChannelNames();
}

TEST_F(MainRoutineTest, WithoutTheLogSwitchNoLogFileAppears) {
    SetCommandLine(QStringList{"mirelvane", "log", "--log", "-logx"});
    dir.Write("mirelvane.cfg", "");
    MessageBoxAnswerer answerer;
    CloseMainWindowSoon();
    EXPECT_EQ(RunMainRoutine(Program()), 0);
    EXPECT_FALSE(QFile::exists(dir.Path("mirelvane.log")));
}

TEST_F(MainRoutineTest, AnUnwritableLogIsNamedAndTheProgramGoesOnWithoutIt) {
    dir.Write("mirelvane.cfg", "");
    QDir(dir.Root()).mkdir("mirelvane.log");  // a folder where the file should be
    MessageBoxAnswerer answerer({QMessageBox::Ok, QMessageBox::Yes});
    CloseMainWindowSoon();
    EXPECT_EQ(RunMainRoutine(Program()), 0);
    ASSERT_EQ(answerer.seen().size(), 2);  // the log's error, then the question on closing
    EXPECT_TRUE(answerer.seen()[0].text.startsWith(
        QStringLiteral("Cannot open file \"%1\". ").arg(dir.Path("mirelvane.log"))))
        << answerer.seen()[0].text.toStdString();
    EXPECT_EQ(answerer.seen()[1].title, QStringLiteral("Подтверждение"));
}

namespace {
class Thrower : public QObject {
public:
    explicit Thrower(std::function<void()> f) : f_(std::move(f)) {}
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User) f_();
        return QObject::event(e);
    }

private:
    std::function<void()> f_;
};

QVector<MessageBoxAnswerer::Seen> BoxesShownFor(std::function<void()> f) {
    MessageBoxAnswerer answerer;
    Thrower thrower(std::move(f));
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    QCoreApplication::processEvents();
    return answerer.seen();
}
}  // namespace

TEST(HandlerErrors, AreShownWithAFullStopRuleAndAbortsStaySilent) {
    const auto shown = BoxesShownFor([] { throw Exception("Port is busy"); });
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].title, "Mirelvane");
    EXPECT_EQ(shown[0].text, "Port is busy.");
    EXPECT_EQ(shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(BoxesShownFor([] { throw Exception("Done."); })[0].text, "Done.");
    EXPECT_EQ(BoxesShownFor([] { throw Exception("Stop!"); })[0].text, "Stop!");  // '!' < '.'
    EXPECT_EQ(BoxesShownFor([] { throw Exception("Value 5"); })[0].text, "Value 5.");
    EXPECT_TRUE(BoxesShownFor([] { throw EAbort(); }).isEmpty());
}
