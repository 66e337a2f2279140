#include "app/file_locations.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "base/exceptions.h"
#include "support/environment.h"
#include "support/temp_folder.h"

namespace {
// An installed tree: <root>/usr/bin/mirelvane and the packaged settings template.
struct InstalledTree {
    InstalledTree() {
        QDir(dir.Root()).mkpath("usr/bin");
        QDir(dir.Root()).mkpath("usr/share/mirelvane");
        dir.Write("usr/share/mirelvane/mirelvane.cfg", "# template\r\n");
        env.Set("HOME", dir.Path("home"));
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_DATA_HOME"})
            env.Set(name, QString());
    }
    QString Program() const { return dir.Path("usr/bin/mirelvane"); }
    TempFolder dir;
    Environment env;
};
}  // namespace

TEST(FileLocations, AWritableSettingsFileBesideTheProgramKeepsEverythingThere) {
    TempFolder dir;
    dir.Write("ball.cfg", "");
    const tFileLocations at(dir.Path("ball"));
    EXPECT_TRUE(at.IsPortable());
    EXPECT_EQ(at.SettingsFile(), dir.Path("ball.cfg"));
    EXPECT_EQ(at.PrepareSettingsFile(), dir.Path("ball.cfg"));
    EXPECT_EQ(at.LogFile(), dir.Path("ball.log"));
    EXPECT_EQ(at.LanguageFolders(), QStringList{dir.Root()});
    const QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(data)) {
        EXPECT_EQ(at.RecordsFolder(), data + "/mirelvane/records");
    }
}

TEST(FileLocations, InstalledFilesFollowTheXdgVariablesAndTheirDefaults) {
    InstalledTree tree;
    const QString home = tree.dir.Path("home");
    const tFileLocations byDefault(tree.Program());
    EXPECT_FALSE(byDefault.IsPortable());
    EXPECT_EQ(byDefault.SettingsFile(), home + "/.config/mirelvane/mirelvane.cfg");
    EXPECT_EQ(byDefault.LogFile(), home + "/.local/state/mirelvane/mirelvane.log");
    EXPECT_EQ(byDefault.RecordsFolder(), home + "/.local/share/mirelvane/records");
    EXPECT_EQ(byDefault.LanguageFolders(),
              (QStringList{tree.dir.Path("usr/share/mirelvane"),
                           home + "/.local/share/mirelvane/languages"}));

    tree.env.Set("XDG_CONFIG_HOME", "/cfg");
    tree.env.Set("XDG_STATE_HOME", "relative/state");  // not absolute: ignored
    tree.env.Set("XDG_DATA_HOME", "/data/");
    const tFileLocations set(tree.Program());
    EXPECT_EQ(set.SettingsFile(), "/cfg/mirelvane/mirelvane.cfg");
    EXPECT_EQ(set.LogFile(), home + "/.local/state/mirelvane/mirelvane.log");
    EXPECT_EQ(set.LanguageFolders().last(), "/data/mirelvane/languages");
}

TEST(FileLocations, TheFirstStartCopiesTheTemplateAndNeverOverwritesTheUsersFile) {
    InstalledTree tree;
    const tFileLocations at(tree.Program());
    EXPECT_EQ(at.PrepareSettingsFile(), at.SettingsFile());
    EXPECT_EQ(tree.dir.Read("home/.config/mirelvane/mirelvane.cfg"), "# template\r\n");
    tree.dir.Write("home/.config/mirelvane/mirelvane.cfg", "LanguageID=1033\r\n");
    tree.dir.Write("usr/share/mirelvane/mirelvane.cfg", "# a newer template\r\n");
    at.PrepareSettingsFile();
    EXPECT_EQ(tree.dir.Read("home/.config/mirelvane/mirelvane.cfg"), "LanguageID=1033\r\n");
}

TEST(FileLocations, AMissingTemplateIsNamedInTheError) {
    InstalledTree tree;
    QFile::remove(tree.dir.Path("usr/share/mirelvane/mirelvane.cfg"));
    try {
        tFileLocations(tree.Program()).PrepareSettingsFile();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(tree.dir.Path("usr/share/mirelvane/mirelvane.cfg")))
            << e.Message().toStdString();
    }
}

TEST(RuntimeFolder, AFolderAnotherUserPlantedInTmpGivesWayToAPrivateCacheFolder) {
    if (::getuid() != 0) GTEST_SKIP() << "planting a folder of another user needs root";
    TempFolder dir;
    Environment env;
    env.Set("MIRELVANE_RUNTIME_DIR", QString());
    env.Set("XDG_RUNTIME_DIR", QString());
    env.Set("TMPDIR", dir.Path("tmp"));
    env.Set("XDG_CACHE_HOME", dir.Path("cache"));
    QDir(dir.Root()).mkdir("tmp");
    const QString planted = dir.Path(QStringLiteral("tmp/mirelvane-%1").arg(::getuid()));
    ASSERT_TRUE(QDir().mkdir(planted));
    ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), 65534, 65534), 0);

    const QString folder = RuntimeFolder();
    EXPECT_EQ(folder, dir.Path("cache/mirelvane/run"));
    EXPECT_TRUE(IsPrivateFolder(folder));
    EXPECT_EQ(RuntimeFolder(), folder);  // every start finds the same lock

    // Ours but open to others is not private either; a fresh one is made 0700.
    ASSERT_EQ(::chown(QFile::encodeName(planted).constData(), 0, 0), 0);
    ::chmod(QFile::encodeName(planted).constData(), 0777);
    EXPECT_EQ(RuntimeFolder(), folder);
    QDir(planted).removeRecursively();
    EXPECT_EQ(RuntimeFolder(), planted);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(planted).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}
