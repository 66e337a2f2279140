#include <gtest/gtest.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>
#include <vector>

#include "app/format_settings.h"
#include "app/log_file.h"
#include "base/exceptions.h"
#include "support/temp_folder.h"

namespace {
const QStringList kWithLog{"mirelvane", "-LOG"};

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override { ResetFormatSettings(); }
    void TearDown() override { ResetFormatSettings(); }
    TempFolder dir;
};

bool LogsWith(const QString& argument) {
    TempFolder dir;
    tLogFile log(dir.Path("x.log"), {"mirelvane", argument});
    return log.IsOpen();
}
}  // namespace

TEST(LogSwitch, IsADashOrSlashAndTheWordInAnyCase) {
    for (const char* on : {"-log", "/LoG", "-LOG", "/log"}) EXPECT_TRUE(LogsWith(on)) << on;
    for (const char* off : {"log", "--log", "-logx", "-lo", "/log_measure", "-", ""})
        EXPECT_FALSE(LogsWith(off)) << off;
}

TEST_F(LogFileTest, WithoutTheSwitchCreatesNothingAndLeavesAnOldLogAlone) {
    {
        tLogFile log(dir.Path("none.log"), {"mirelvane"});
        log.Write("discarded");
    }
    EXPECT_FALSE(QFileInfo::exists(dir.Path("none.log")));

    dir.Write("old.log", "earlier run\r\n");
    const QDateTime before = QFileInfo(dir.Path("old.log")).lastModified();
    {
        tLogFile log(dir.Path("old.log"), {"mirelvane"});
        log.Write("discarded");
    }
    EXPECT_EQ(dir.Read("old.log"), QByteArray("earlier run\r\n"));
    EXPECT_EQ(QFileInfo(dir.Path("old.log")).lastModified(), before);
    EXPECT_FALSE(FormatSettings().LongTimeFormat.endsWith(".zzz"));
}

TEST_F(LogFileTest, LinesCarryDateTimeWithMillisecondsAndEndInCrLf) {
    {
        tLogFile log(dir.Path("a.log"), kWithLog);
        log.Write(QStringLiteral("Запуск программы."));
        log.Write(QByteArray());
        log.Write(QStringLiteral("Остановка программы.\r\n"));
        log.Write("two\r\nlines");
    }
    const QString text = QString::fromUtf8(dir.Read("a.log"));
    const QStringList lines = text.split("\r\n");
    ASSERT_EQ(lines.size(), 7) << text.toStdString();
    const QString stamp = QStringLiteral("^\\S+ .*\\d\\.\\d{3} ");
    EXPECT_TRUE(QRegularExpression(stamp + "Запуск программы\\.$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(QRegularExpression(stamp + "$").match(lines[1]).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(" Остановка программы."));
    EXPECT_EQ(lines[3], "");  // the stop line leaves an empty line behind it
    EXPECT_TRUE(lines[4].endsWith(" two"));
    EXPECT_EQ(lines[5], "lines");  // continues without a time stamp
    EXPECT_EQ(lines[6], "");
    EXPECT_TRUE(FormatSettings().LongTimeFormat.endsWith(".zzz"));
}

TEST_F(LogFileTest, ASecondRunAppends) {
    {
        tLogFile log(dir.Path("a.log"), kWithLog);
        log.Write("first");
    }
    ResetFormatSettings();
    {
        tLogFile log(dir.Path("a.log"), kWithLog);
        log.Write("second");
    }
    const QList<QByteArray> lines = dir.Read("a.log").split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].endsWith("first\r"));
    EXPECT_TRUE(lines[1].endsWith("second\r"));
}

TEST_F(LogFileTest, AnUnwritableLogFailsWithTheFileErrorText) {
    if (::geteuid() == 0) {
        // Root writes read-only files; a missing folder fails for everyone.
        try {
            tLogFile log(dir.Path("missing/a.log"), kWithLog);
            FAIL() << "no error";
        } catch (const Exception& e) {
            EXPECT_TRUE(e.Message().startsWith(
                QStringLiteral("Cannot create file \"%1\". ").arg(dir.Path("missing/a.log"))))
                << e.Message().toStdString();
        }
        return;
    }
    dir.Write("ro.log", "x\r\n");
    ::chmod(QFile::encodeName(dir.Path("ro.log")).constData(), 0444);
    try {
        tLogFile log(dir.Path("ro.log"), kWithLog);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(
            QStringLiteral("Cannot open file \"%1\". ").arg(dir.Path("ro.log"))));
    }
}

TEST_F(LogFileTest, LinesFromManyThreadsNeverInterleave) {
    constexpr int kThreads = 6, kLines = 400;
    {
        tLogFile log(dir.Path("t.log"), kWithLog);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&log, t] {
                const QByteArray body = QByteArray(200, char('a' + t));
                for (int i = 0; i < kLines; ++i) log.Write(body);
            });
        for (auto& th : threads) th.join();
    }
    const QList<QByteArray> lines = dir.Read("t.log").split('\n');
    ASSERT_EQ(lines.size(), kThreads * kLines + 1);
    for (int i = 0; i < kThreads * kLines; ++i) {
        const QByteArray& line = lines[i];
        ASSERT_TRUE(line.endsWith('\r'));
        const QByteArray body = line.mid(line.size() - 201, 200);
        ASSERT_EQ(body, QByteArray(200, body[0])) << i;
    }
}
