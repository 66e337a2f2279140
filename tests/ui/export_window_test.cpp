// The export through the window: its save dialog, what it writes for each choice of markers,
// marks and channels, and what it does when it cannot or need not write.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QDir>
#include <QRegularExpression>

#include "app/exceptions.h"
#include "export_support.h"
#include "review_record.h"
#include "support/message_box_answerer.h"
#include "ui/save_dialog.h"
#include "ui/window_fixture.h"

namespace {
const char* const kFullHeader = "t\tax\tay\taz\twx\twy\twz\tфx\tфy\tфz";

struct ExportWindow : ::testing::Test {
    WindowFixture f;
    TfmMain& w = f.Window();
    DecimalSeparatorScope comma{u','};
    QString path = f.Folder().Path(QStringLiteral("out.csv"));

    void SetUp() override { RecordStopped(w, 60); }

    // Exports through the dialog, answered with `name`; the file's lines.
    QStringList Export(const QString& name = QStringLiteral("out.csv")) {
        SaveDialogAnswerer answer({f.Folder().Path(name)});
        w.acFileExportExecute();
        return ExportLines(f.Folder().Read(name));
    }
    QStringList Times(const QString& name = QStringLiteral("out.csv")) {
        QStringList times;
        for (const QString& line : Export(name).mid(1)) times << line.section(u'\t', 0, 0);
        return times;
    }
};

// The expected value of channel k at sample i, in physical units (see review_record.h).
double Expected(int k, int i) {
    const double values[kChannelCount] = {9.81 * i,     -4.905,   0,    double(i), -3277 / 32768.0,
                                          -1 / 32768.0, i + 0.25, -0.5, 123.456};
    return values[k];
}
}  // namespace

TEST_F(ExportWindow, WritesEveryFieldOfTheWholeRecordInWindows1251) {
    const QStringList lines = Export();
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

TEST_F(ExportWindow, WritesTheRunBetweenTheMarkersInAscendingOrder) {
    const struct {
        int zero, cursor, rows;
        const char *first, *last;
    } cases[] = {
        {-1, 5, 6, "1,000", "1,050"},     // the cursor alone: from the first sample, as recorded
        {57, -1, 3, "0,000", "0,020"},    // the origin alone: to the last sample
        {50, 10, 41, "-0,400", "0,000"},  // the origin after the cursor
        {0, 59, 60, "0,000", "0,590"},
    };
    for (const auto& c : cases) {
        w.ZeroMarkerIndex = c.zero;
        w.CursorIndex = c.cursor;
        const QStringList times = Times();
        ASSERT_EQ(times.size(), c.rows) << c.zero << " " << c.cursor;
        EXPECT_EQ(times.first(), c.first);
        EXPECT_EQ(times.last(), c.last);
    }
}

TEST_F(ExportWindow, WritesOnlyTheMarkedSamplesWhateverTheMarkers) {
    for (const int cursor : {7, 3, 40}) {
        w.CursorIndex = cursor;
        w.acFileMarkPointExecute();
    }
    w.acFileMarkPointExecute();  // 40 again: unmarked
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
    w.CursorIndex = 2;
    EXPECT_EQ(Export(), (QStringList{QString::fromUtf8("t\tax\taz\twx\twy\twz\tфx\tфz"),
                                     "1,000\t0,00\t0,00\t0,00\t-0,10\t0,00\t0,25\t123,46",
                                     "1,010\t9,81\t0,00\t1,00\t-0,10\t0,00\t1,25\t123,46",
                                     "1,020\t19,62\t0,00\t2,00\t-0,10\t0,00\t2,25\t123,46"}));
}

TEST_F(ExportWindow, ReplacesAnExistingFileWithoutAsking) {
    f.Folder().Write(QStringLiteral("out.csv"), QByteArray(100000, 'x'));
    w.CursorIndex = 0;
    const MessageBoxAnswerer boxes;
    EXPECT_EQ(Export().size(), 2);
    EXPECT_TRUE(boxes.seen().isEmpty());
}

TEST_F(ExportWindow, OffersQtsOwnDialogThatRemembersTheLastNameAndAddsTheSuffix) {
    w.CursorIndex = 0;
    SaveDialogAnswerer answer({f.Folder().Path(QStringLiteral("first")), QString()});
    w.acFileExportExecute();
    w.acFileExportExecute();  // cancelled: nothing happens
    ASSERT_EQ(answer.seen().size(), 2);
    const SaveDialogAnswerer::Seen& first = answer.seen()[0];
    EXPECT_FALSE(first.native);
    EXPECT_FALSE(first.confirmsOverwrite);
    EXPECT_EQ(first.suffix, "csv");
    EXPECT_EQ(first.filters, (QStringList{QString::fromUtf8("CSV-файлы (*.csv)"),
                                          QString::fromUtf8("Все файлы (*.*)")}));
    EXPECT_EQ(QDir(f.Folder().Root()).entryList(QDir::Files),
              (QStringList{"first.csv", "mirelvane.cfg"}));
    EXPECT_EQ(answer.seen()[1].directory, QDir(f.Folder().Root()).absolutePath());
    EXPECT_EQ(answer.seen()[1].typedName, "first.csv");
    EXPECT_EQ(w.sd->LastFileName(), f.Folder().Path(QStringLiteral("first.csv")));
}

TEST_F(ExportWindow, KeepsTheDialogOpenWhileTheChosenFolderDoesNotExist) {
    w.CursorIndex = 0;
    SaveDialogAnswerer answer({f.Folder().Path(QStringLiteral("missing/out.csv")), path});
    w.acFileExportExecute();
    EXPECT_EQ(answer.seen().size(), 2);
    ASSERT_EQ(answer.boxes().size(), 1);
    EXPECT_TRUE(answer.boxes()[0].contains(f.Folder().Path(QStringLiteral("missing"))));
    EXPECT_EQ(ExportLines(f.Folder().Read(QStringLiteral("out.csv"))).size(), 2);
    EXPECT_FALSE(QFileInfo::exists(f.Folder().Path(QStringLiteral("missing"))));
}

TEST_F(ExportWindow, SaysThereIsNoDataForAnEmptyRecordAndWritesNothing) {
    f.Folder().Write(QStringLiteral("out.csv"), "old");
    // Before the first measurement both markers are 0; after an empty one both are -1.
    for (const int marker : {0, -1}) {
        RecordStopped(w, 0);
        w.ZeroMarkerIndex = w.CursorIndex = marker;
        const MessageBoxAnswerer boxes;
        SaveDialogAnswerer dialog({path});
        w.acFileExportExecute();
        ASSERT_EQ(boxes.seen().size(), 1);
        EXPECT_EQ(boxes.seen()[0].title, QString::fromUtf8("Внимание"));
        EXPECT_EQ(boxes.seen()[0].text, QString::fromUtf8("Нет данных для экспорта."));
        EXPECT_TRUE(dialog.seen().isEmpty());
    }
    // Markers beyond the record would read samples that are not there.
    RecordStopped(w, 3);
    w.CursorIndex = 3;
    const MessageBoxAnswerer boxes;
    w.acFileExportExecute();
    EXPECT_EQ(boxes.seen().size(), 1);
    EXPECT_EQ(f.Folder().Read(QStringLiteral("out.csv")), "old");
}

TEST_F(ExportWindow, KeepsTheOldFileWhenTheFolderIsReadOnly) {
    const QString folder = f.Folder().Path(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = folder + QStringLiteral("/out.csv");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content");
    }
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    const UnprivilegedScope asUser;
    QString message;
    {
        SaveDialogAnswerer answer({target});
        try {
            w.acFileExportExecute();
        } catch (const Exception& e) {
            message = e.Message();
        }
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(message, QStringLiteral("Cannot create file \"%1\". Permission denied").arg(target));
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old content");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"out.csv"});
}
