#include <gtest/gtest.h>

#include "app/functions.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "support/temp_folder.h"

TEST(VersionInfo, ReadsEachKeyOfTheBlockBackFromAFile) {
    TempFolder dir;
    const QByteArray block =
        MakeVersionBlock({{"FileDescription", "Ball companion"}, {"FileVersion", "1.2.3.4"}});
    const QString path = dir.Write("prog", QByteArray(1000, '\x7f') + block + QByteArray(50, 0));
    EXPECT_EQ(GetVersionInfoString(path, "FileDescription"), "Ball companion");
    EXPECT_EQ(GetVersionInfoString(path, "FileVersion"), "1.2.3.4");
    EXPECT_EQ(GetVersionInfoString(path, "LegalCopyright"), "");
}

TEST(VersionInfo, AFileWithoutABlockOrWithACutBlockGivesEmptyText) {
    TempFolder dir;
    EXPECT_EQ(GetVersionInfoString(dir.Write("plain", "no block here"), "FileVersion"), "");
    EXPECT_EQ(GetVersionInfoString(dir.Path("missing"), "FileVersion"), "");
    QByteArray cut = MakeVersionBlock({{"FileVersion", "1.0"}});
    cut.chop(6);
    EXPECT_EQ(GetVersionInfoString(dir.Write("cut", cut), "FileVersion"), "");
}

TEST(VersionInfo, TheBuiltProgramCarriesItsBlock) {
    const QString program = QStringLiteral(MIRELVANE_BIN_DIR "/mirelvane");
    if (!QFile::exists(program)) GTEST_SKIP() << "the program is not built in this configuration";
    EXPECT_EQ(GetVersionInfoString(program, "FileVersion"), QStringLiteral(MIRELVANE_FILE_VERSION));
    EXPECT_FALSE(GetVersionInfoString(program, "FileDescription").isEmpty());
    EXPECT_FALSE(GetVersionInfoString(program, "LegalCopyright").isEmpty());
}

TEST(SystemError, JoinsThePrefixTheResourceAndTheSystemText) {
    SetThreadUILanguage(kLangRussian);
    try {
        RaiseSystemError(1002, ENOENT);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Системная ошибка: Невозможно создать объект "
                                              "синхронизации.\r\nСистема сообщает: ") +
                                   QString::fromLocal8Bit(strerror(ENOENT)));
    }
}
