// The export through the window: its save dialog, what it writes for the markers, marks and
// channels the user chose, and what it does when it cannot or need not write.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>

#include "export_support.h"
#include "review_record.h"
#include "support/message_box_answerer.h"
#include "ui/save_dialog.h"

namespace {
const char* const kFullHeader = "t\tax\tay\taz\twx\twy\twz\tфx\tфy\tфz";

struct ExportWindow : ::testing::Test {
    WindowFixture f;
    TfmMain& w = f.Window();
    DecimalSeparatorScope comma{u','};
    QString path = f.Folder().Path(QStringLiteral("out.csv"));

    void SetUp() override { RecordStopped(w, EvenTimes(60)); }

    // Exports through the dialog, answered with the name; the file's lines.
    QStringList Export() {
        SaveDialogAnswerer answer({path});
        w.acFileExportExecute();
        return ExportLines(f.Folder().Read(QStringLiteral("out.csv")));
    }
};

// Channel k at sample i, in physical units (review_record.h).
double Expected(int k, int i) {
    const double values[kChannelCount] = {9.81 * i,     -4.905,   0,    double(i), -3277 / 32768.0,
                                          -1 / 32768.0, i + 0.25, -0.5, 123.456};
    return values[k];
}
}  // namespace

TEST_F(ExportWindow, ReplacesAFileWithEveryFieldOfTheWholeRecordInWindows1251) {
    f.Folder().Write(QStringLiteral("out.csv"), QByteArray(100000, 'x'));
    const MessageBoxAnswerer boxes;
    const QStringList lines = Export();
    EXPECT_TRUE(boxes.seen().isEmpty());  // no question before replacing
    ASSERT_EQ(lines.size(), 61);
    EXPECT_EQ(lines[0], QString::fromUtf8(kFullHeader));
    EXPECT_EQ(f.Folder().Read(QStringLiteral("out.csv")).left(24),
              QByteArray("t\tax\tay\taz\twx\twy\twz\t\xF4x\t\xF4"));
    // Angles get two decimals, and a value that rounds to zero carries no minus sign.
    EXPECT_EQ(lines[6], "1,050\t49,05\t-4,91\t0,00\t5,00\t-0,10\t0,00\t5,25\t-0,50\t123,46");
    const QRegularExpression time(QStringLiteral("^\\d+,\\d{3}$"));
    const QRegularExpression value(QStringLiteral("^-?\\d+,\\d{2}$"));
    for (int i = 0; i < 60; ++i) {
        const QStringList fields = lines[i + 1].split(u'\t');
        ASSERT_EQ(fields.size(), 10) << i;
        EXPECT_TRUE(time.match(fields[0]).hasMatch()) << fields[0].toStdString();
        EXPECT_NEAR(FieldNumber(fields[0]), 1 + i / 100.0, 0.0005 + 1e-9);
        for (int k = 0; k < kChannelCount; ++k) {
            const QString& field = fields[k + 1];
            EXPECT_TRUE(value.match(field).hasMatch() && field != "-0,00") << field.toStdString();
            EXPECT_NEAR(FieldNumber(field), Expected(k, i), 0.005 + 1e-9) << k << " " << i;
        }
    }
}

TEST_F(ExportWindow, WritesOnlyTheMarkedSamplesWhateverTheMarkers) {
    for (const int cursor : {7, 3, 40, 40}) {  // 40 twice: unmarked again
        w.CursorIndex = cursor;
        w.acFileMarkPointExecute();
    }
    w.ZeroMarkerIndex = 5;
    const QStringList lines = Export();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString::fromUtf8(kFullHeader));
    EXPECT_TRUE(lines[1].startsWith("-0,020\t29,43\t"));
    EXPECT_TRUE(lines[2].startsWith("0,020\t68,67\t"));
}

TEST_F(ExportWindow, LeavesHiddenChannelsOutOfTheHeaderAndEveryRow) {
    SetChannelVisible(w, 1, false);
    SetChannelVisible(w, 7, false);
    w.CursorIndex = 1;
    EXPECT_EQ(Export(), (QStringList{QString::fromUtf8("t\tax\taz\twx\twy\twz\tфx\tфz"),
                                     "1,000\t0,00\t0,00\t0,00\t-0,10\t0,00\t0,25\t123,46",
                                     "1,010\t9,81\t0,00\t1,00\t-0,10\t0,00\t1,25\t123,46"}));
}

TEST_F(ExportWindow, AsksInQtsOwnDialogThatAddsTheSuffixAndRemembersTheName) {
    w.CursorIndex = 0;
    // A name in a folder that is not there keeps the dialog open; cancelling writes nothing.
    SaveDialogAnswerer answer({f.Folder().Path(QStringLiteral("missing/out.csv")),
                               f.Folder().Path(QStringLiteral("first")), QString()});
    w.acFileExportExecute();
    w.acFileExportExecute();
    ASSERT_EQ(answer.seen().size(), 3);
    ASSERT_EQ(answer.boxes().size(), 1);
    EXPECT_TRUE(answer.boxes()[0].contains(f.Folder().Path(QStringLiteral("missing"))));
    const SaveDialogAnswerer::Seen& first = answer.seen()[0];
    EXPECT_FALSE(first.native);
    EXPECT_FALSE(first.confirmsOverwrite);
    EXPECT_EQ(first.suffix, "csv");
    EXPECT_EQ(first.filters, (QStringList{QString::fromUtf8("CSV-файлы (*.csv)"),
                                          QString::fromUtf8("Все файлы (*.*)")}));
    EXPECT_EQ(QDir(f.Folder().Root()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"first.csv", "mirelvane.cfg"}));
    EXPECT_EQ(answer.seen()[2].directory, QDir(f.Folder().Root()).absolutePath());
    EXPECT_EQ(answer.seen()[2].typedName, "first.csv");
}

TEST_F(ExportWindow, KeepsTheTypedNameWhenTheUserChoosesAllFiles) {
    w.sd->show();
    auto* name = w.sd->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* types = w.sd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_TRUE(name && types);
    QTest::keyClicks(name, QStringLiteral("data.csv"));
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(types->currentIndex(), 1);
    EXPECT_EQ(name->text(), "data.csv");
    w.sd->hide();
}

TEST_F(ExportWindow, SaysThereIsNoDataForAnEmptyRecordAndWritesNothing) {
    f.Folder().Write(QStringLiteral("out.csv"), "old");
    // Before the first measurement both markers are 0, after an empty one both are -1, and a
    // cursor beyond the record names a sample that is not there.
    const struct { int count, marker; } cases[] = {{0, 0}, {0, -1}, {3, 3}};
    for (const auto& c : cases) {
        RecordStopped(w, EvenTimes(c.count));
        w.ZeroMarkerIndex = c.marker == 3 ? -1 : c.marker;
        w.CursorIndex = c.marker;
        const MessageBoxAnswerer boxes;
        SaveDialogAnswerer dialog({path});
        w.acFileExportExecute();
        ASSERT_EQ(boxes.seen().size(), 1);
        EXPECT_EQ(boxes.seen()[0].title, QString::fromUtf8("Внимание"));
        EXPECT_EQ(boxes.seen()[0].text, QString::fromUtf8("Нет данных для экспорта."));
        EXPECT_TRUE(dialog.seen().isEmpty());
    }
    EXPECT_EQ(f.Folder().Read(QStringLiteral("out.csv")), "old");
}

TEST_F(ExportWindow, KeepsTheOldFileWhenTheFolderIsReadOnly) {
    const QString folder = f.Folder().Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/out.csv");
    f.Folder().Write(QStringLiteral("locked/out.csv"), "old content");
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    QStringList boxes;
    {
        const UnprivilegedScope asUser;
        SaveDialogAnswerer answer({target});
        w.acFileExportExecute();
        boxes = answer.boxes();
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(
        boxes,
        // The system's reason, in the system's language.
        QStringList{QStringLiteral("Cannot create file \"%1\". %2.")
                        .arg(target, QString::fromLocal8Bit(std::strerror(EACCES)))});
    EXPECT_EQ(f.Folder().Read(QStringLiteral("locked/out.csv")), "old content");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
}
