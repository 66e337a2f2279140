// The program as a package installs it, run by a user who is neither root nor in the serial
// ports' group. scripts/test unpacks the package into a temporary root and runs this binary
// under another user id with HOME and the XDG folders in a temporary folder; elsewhere it skips.
#include <gtest/gtest.h>
#include <signal.h>

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/file_locations.h"
#include "base/builtin_texts.h"
#include "lang/qstring_printer.h"
#include "main/single_instance.h"
#include "support/message_box_answerer.h"
#include "ui/mainfm.h"

namespace {
class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = qEnvironmentVariable("MIRELVANE_INSTALL_ROOT");
        if (root_.isEmpty()) GTEST_SKIP() << "no unpacked package (run by scripts/test)";
    }
    QString Program() const { return root_ + QStringLiteral("/usr/bin/mirelvane"); }
    static QString Xdg(const char* variable, const char* rest) {
        return qEnvironmentVariable(variable) + QLatin1String(rest);
    }
    static QString Settings() { return Xdg("XDG_CONFIG_HOME", "/mirelvane/mirelvane.cfg"); }
    static QByteArray ReadAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString root_;
};

void Stop(QProcess& process) {
    process.terminate();
    if (!process.waitForFinished(10000)) process.kill();
    process.waitForFinished();
}

// True once the running program answers a second start's request, which it does from its
// event loop, after the main window is shown.
bool AnswersRestore() {
    QLocalSocket socket;
    socket.connectToServer(tSingleInstance::ServerName());
    if (!socket.waitForConnected(100)) return false;
    socket.write("RESTORE\n");
    socket.waitForBytesWritten(500);
    while (socket.bytesAvailable() < 3 && socket.waitForReadyRead(500)) {
    }
    return socket.readAll().contains("OK\n");
}
}  // namespace

TEST_F(InstalledProgram, KeepsItsSettingsAndLogInTheUsersFoldersAndReportsItsStartTime) {
    const QString log = Xdg("XDG_STATE_HOME", "/mirelvane/mirelvane.log");
    std::vector<qint64> startMs;
    for (int run = 0; run < 9; ++run) {
        QProcess process;
        QElapsedTimer clock;
        clock.start();
        process.start(Program(), {QStringLiteral("-LOG")});
        ASSERT_TRUE(process.waitForStarted());
        const bool shown = QTest::qWaitFor([] { return AnswersRestore(); }, 30000);
        startMs.push_back(clock.elapsed());
        Stop(process);
        ASSERT_TRUE(shown) << process.readAllStandardError().toStdString();
    }
    std::sort(startMs.begin(), startMs.end());
    std::printf("installed program: start to window shown, median of 9: %lld ms\n",
                static_cast<long long>(startMs[4]));
    EXPECT_EQ(ReadAll(Settings()), ReadAll(root_ + "/usr/share/mirelvane/mirelvane.cfg"));
    EXPECT_EQ(ReadAll(log).count("Запуск программы."), 9);
    EXPECT_FALSE(QFile::exists(root_ + "/usr/bin/mirelvane.log"));
    EXPECT_FALSE(QFile::exists(root_ + "/usr/bin/mirelvane.cfg"));
}

TEST_F(InstalledProgram, ALanguageChangeIsSavedForTheUserAndAppliesOnTheNextStart) {
    {
        TfmMain window(Program());
        const QList<QAction*> entries = window.miFileLanguage->actions();
        ASSERT_EQ(entries.size(), 3);  // the built-in Russian and the two shipped files
        MessageBoxAnswerer answerer;
        const auto english = std::find_if(entries.begin(), entries.end(), [](QAction* a) {
            return a->text().contains(QStringLiteral("English"));
        });
        ASSERT_NE(english, entries.end());
        (*english)->trigger();
        ASSERT_EQ(answerer.seen().size(), 1);
    }
    EXPECT_TRUE(ReadAll(Settings()).contains("LanguageID=1033\r\n"));
    TfmMain again(Program());
    EXPECT_EQ(LangConst(QStringLiteral("LC_CONN_NONE")), QStringLiteral("<NONE>"));
}

TEST_F(InstalledProgram, APortOfAGroupTheUserLacksGetsANoticeNamingTheGroup) {
    const QString port = qEnvironmentVariable("MIRELVANE_TEST_PORT");
    ASSERT_FALSE(port.isEmpty());
    {
        TfmMain first(Program());  // makes the user's settings
    }
    QFile settings(Settings());
    ASSERT_TRUE(settings.open(QIODevice::Append));
    settings.write("Ports=" + QFile::encodeName(port) + "\r\nTimeout=0\r\nCheckCount=1\r\n");
    settings.close();
    TfmMain window(Program());
    window.show();
    window.acDeviceConnect->trigger();
    QMessageBox* notice = nullptr;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        notice = window.findChild<QMessageBox*>(QStringLiteral("mbConnectNotice"));
        return notice && notice->isVisible();
    }));
    EXPECT_FALSE(notice->isModal());
    EXPECT_TRUE(notice->text().contains(QStringLiteral("sudo adduser $USER dialout")))
        << notice->text().toStdString();
}
