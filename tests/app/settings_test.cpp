#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <unistd.h>

#include "app/int_conversion.h"
#include "app/settings.h"
#include "base/exceptions.h"
#include "support/temp_folder.h"

namespace {
int Key(const tSettings& s, const char* name, int def) {
    return StrToIntDef(s.GetSettingByName(name), def);
}
}  // namespace

TEST(Settings, AMissingFileFailsWithTheFullPathAndKeepsTheOldLines) {
    TempFolder dir;
    tSettings s;
    s.SetSettingByName("Keep", "1");
    try {
        s.Load(dir.Path("none.cfg"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Невозможно прочитать настройки из '%1'.\r\n"
                                              "Причина: Файл не найден.")
                                   .arg(dir.Path("none.cfg")));
    }
    EXPECT_EQ(s.GetSettingByName("Keep"), "1");
}

TEST(Settings, AnEmptyFileGivesEveryDefault) {
    TempFolder dir;
    tSettings s;
    s.Load(dir.Write("e.cfg", ""));
    EXPECT_EQ(s.GetCount(), 0);
    EXPECT_EQ(Key(s, "BatteryUpdate", 2), 2);
    EXPECT_EQ(Key(s, "LanguageID", 1049), 1049);
}

TEST(Settings, NamesIgnoreCaseAndTheFirstOfTwoEntriesCounts) {
    TempFolder dir;
    tSettings s;
    s.Load(dir.Write("a.cfg", "batteryupdate=5\r\nCheckCount=2\r\nCheckCount=9\r\nЯзык=ru\r\n"));
    EXPECT_EQ(Key(s, "BatteryUpdate", 2), 5);
    EXPECT_EQ(Key(s, "CheckCount", 5), 2);
    EXPECT_EQ(s.GetSettingByName("ЯЗЫК"), "ru");
    s.SetSettingByName("checkcount", "3");
    EXPECT_EQ(s.Lines()[1], QByteArray("checkcount=3"));
    EXPECT_EQ(s.Lines()[2], QByteArray("CheckCount=9"));
}

TEST(Settings, NamesAndValuesAreNotTrimmed) {
    TempFolder dir;
    tSettings s;
    s.Load(dir.Write("a.cfg", "BatteryUpdate= 7\nWarnTime =10\nCheckCount=7 \n"));
    EXPECT_EQ(Key(s, "BatteryUpdate", 2), 7);  // leading blanks of a number are skipped
    EXPECT_EQ(Key(s, "WarnTime", 30), 30);      // that line's name ends in a blank
    EXPECT_EQ(s.GetSettingByName("WarnTime "), "10");
    EXPECT_EQ(Key(s, "CheckCount", 5), 5);  // a trailing blank is no number
}

TEST(Settings, EveryLineEndSplitsAndALastLineWithoutOneIsRead) {
    TempFolder dir;
    tSettings s;
    s.Load(dir.Write("a.cfg", "A=1\rB=2\nC=3\r\n\r\nD=4"));
    EXPECT_EQ(s.GetCount(), 5);
    EXPECT_EQ(s.GetSettingByName("D"), "4");
    s.Save();
    EXPECT_EQ(dir.Read("a.cfg"), QByteArray("A=1\r\nB=2\r\nC=3\r\n\r\nD=4\r\n"));
}

TEST(Settings, SavingKeepsRemarksAndUnknownKeysByteForByteAndAppendsNewKeys) {
    TempFolder dir;
    const QByteArray original =
        "# remark \xd0\xaf\r\n\r\n[not a section]\r\nUnknown=\xff\xfe raw\r\nBatteryUpdate=5\r\n";
    tSettings s;
    s.Load(dir.Write("a.cfg", original));
    s.SetSettingByName("LanguageID", "1087");
    s.Save();
    EXPECT_EQ(dir.Read("a.cfg"), original + "LanguageID=1087\r\n");
    s.SetSettingByName("LanguageID", "1033");
    s.Save();
    EXPECT_EQ(dir.Read("a.cfg"), original + "LanguageID=1033\r\n");
}

TEST(Settings, EntryOperationsFollowTheStringListRules) {
    tSettings s;
    EXPECT_EQ(s.AddName("A", ""), 0);  // an empty value is kept as "A="
    EXPECT_EQ(s.Lines()[0], QByteArray("A="));
    s.SetSettingByName("B", "2");
    s.SetSettingByName("A", "");  // an empty value removes the entry
    EXPECT_EQ(s.IndexOfName("A"), -1);
    EXPECT_EQ(s.IndexOfName("b"), 0);
    s.AddName("remark without equals", "x");
    EXPECT_EQ(s.GetNameByIndex(0), "B");
    EXPECT_EQ(s.GetSettingByIndex(0), "2");
    s.SetSettingByIndex(0, "3");
    EXPECT_EQ(s.GetSettingByName("B"), "3");
    EXPECT_EQ(s.GetSettingByName("none"), "");

    tSettings copy(true);
    s.SetFileName("/x/y.cfg");
    s.AssignTo(copy);
    EXPECT_EQ(copy.Lines(), s.Lines());
    EXPECT_EQ(copy.GetFileName(), "/x/y.cfg");
}

TEST(Settings, ALineWithoutEqualsHasAnEmptyNameAndIsNoEntry) {
    TempFolder dir;
    tSettings s;
    s.Load(dir.Write("a.cfg", "just a remark\r\nA=1\r\n"));
    EXPECT_EQ(s.GetNameByIndex(0), "");
    EXPECT_EQ(s.IndexOfName(""), -1);
    s.SetSettingByName("", "x");  // must not overwrite the remark
    EXPECT_EQ(s.Lines()[0], QByteArray("just a remark"));
}

TEST(Settings, AFailedSaveLeavesTheFileWhole) {
    TempFolder dir;
    const QByteArray original = "A=1\r\nB=2\r\n";
    const QString path = dir.Write("a.cfg", original);
    tSettings s;
    s.Load(path);
    s.SetSettingByName("LanguageID", QString(200, u'7'));
    // A file-size limit makes the write fail for every user, root included.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool failed = false;
    try {
        s.Save();
    } catch (const Exception& e) {
        failed = true;
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot create file \"%1\". ").arg(path)))
            << e.Message().toStdString();
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(failed);
    EXPECT_EQ(dir.Read("a.cfg"), original);
    EXPECT_EQ(QDir(dir.Root()).entryList(QDir::Files), QStringList{"a.cfg"});  // no temporary left
}

TEST(Settings, ASaveIntoAMissingFolderFailsWithTheCreateText) {
    TempFolder dir;
    tSettings s;
    s.SetSettingByName("A", "1");
    try {
        s.Save(dir.Path("missing/a.cfg"));
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith(
            QStringLiteral("Cannot create file \"%1\". ").arg(dir.Path("missing/a.cfg"))));
    }
}

TEST(Settings, IniModeReadsAndWritesOneSectionOnly) {
    TempFolder dir;
    const QString path =
        dir.Write("a.ini", "[Other]\r\nA=other\r\n[Main]\r\nA = 1\r\nB=2\r\n\r\n[Last]\r\nC=3\r\n");
    tSettings s(path, "main", false);
    s.Load();
    EXPECT_EQ(s.GetCount(), 2);
    EXPECT_EQ(s.GetSettingByName("A"), "1");
    s.SetSettingByName("B", "20");
    s.SetSettingByName("N", "new");
    s.Save();
    EXPECT_EQ(dir.Read("a.ini"), QByteArray("[Other]\r\nA=other\r\n[Main]\r\nA=1\r\nB=20\r\nN=new\r\n"
                                            "\r\n[Last]\r\nC=3\r\n"));
    tSettings fresh(dir.Path("b.ini"), "New", false);
    fresh.SetSettingByName("K", "v");
    fresh.Save();
    EXPECT_EQ(dir.Read("b.ini"), QByteArray("[New]\r\nK=v\r\n"));
}
