#include "app/record_folder.h"

#include <gtest/gtest.h>

#include <QDir>

TEST(RecordFolder, FollowsAnAbsoluteDataHomeAndOtherwiseTheHomeFolder) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/srv/data");
    EXPECT_EQ(DefaultRecordFolder(), QStringLiteral("/srv/data/mirelvane/records"));
    const QString fallback = QDir::homePath() + QStringLiteral("/.local/share/mirelvane/records");
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(DefaultRecordFolder(), fallback);
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(DefaultRecordFolder(), fallback);
    qputenv("XDG_DATA_HOME", saved);
}
