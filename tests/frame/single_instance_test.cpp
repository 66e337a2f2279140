#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QEventLoop>
#include <QProcess>
#include <QSignalSpy>
#include <QTimer>

#include "main/single_instance.h"
#include "support/temp_folder.h"
#include "ui/mainfm.h"

namespace {
class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("MIRELVANE_RUNTIME_DIR", QFile::encodeName(dir.Root())); }
    void TearDown() override { qunsetenv("MIRELVANE_RUNTIME_DIR"); }
    TempFolder dir;
};

// Runs the real program from a folder of its own and waits for it without blocking the loop.
int RunProgram(const TempFolder& dir, const QStringList& arguments) {
    const QString program = dir.Path("mirelvane");
    QFile::copy(QStringLiteral(MIRELVANE_BIN_DIR "/mirelvane"), program);
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    dir.Write("mirelvane.cfg", "");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MIRELVANE_RUNTIME_DIR", dir.Root());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    process.start(program, arguments);
    loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
}
}  // namespace

TEST_F(SingleInstanceTest, ASecondStartAsksTheFirstToRestoreAndEndsSilentlyWithZero) {
    tSingleInstance first;
    ASSERT_TRUE(first.Acquire());
    QSignalSpy restored(&first, &tSingleInstance::restoreRequested);
    EXPECT_EQ(RunProgram(dir, {"-LOG"}), 0);
    EXPECT_TRUE(restored.count() == 1 || restored.wait(2000));
    EXPECT_FALSE(QFile::exists(dir.Path("mirelvane.log")));
}

TEST_F(SingleInstanceTest, ASecondStartThatFindsNoWindowStillEndsWithZero) {
    // Another process holds the lock but answers nothing.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const QByteArray lockPath = QFile::encodeName(tSingleInstance::LockFilePath());
    const pid_t holder = ::fork();
    if (holder == 0) {
        const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT, 0600);
        ::flock(fd, LOCK_EX);
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(RunProgram(dir, {"-LOG"}), 0);
    EXPECT_FALSE(QFile::exists(dir.Path("mirelvane.log")));
    {
        tSingleInstance second;
        EXPECT_FALSE(second.Acquire());
    }
    // An instance that died leaves no stale lock.
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    tSingleInstance third;
    EXPECT_TRUE(third.Acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(SingleInstanceTest, ARestoreRequestBringsAMinimisedWindowBack) {
    dir.Write("mirelvane.cfg", "");
    TfmMain window(dir.Path("mirelvane"));
    window.showMinimized();
    QCoreApplication::processEvents();
    window.RestoreFromOtherInstance();
    QCoreApplication::processEvents();
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(window.isVisible());
}
