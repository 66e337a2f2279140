#include <gtest/gtest.h>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>

#include <QStringList>

#include "model/csv_export.h"
#include "model/vector_record.h"
#include "model/windows1251.h"
#include "qt_printers.h"
#include "support/temp_folder.h"

namespace {

// Windows-1251 decoded by the C library, independently of our own table.
QString DecodeWithLibrary(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return QStringLiteral("<no iconv>");
    QByteArray in = bytes, out(bytes.size() * 4 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    size_t srcLeft = static_cast<size_t>(in.size()), dstLeft = static_cast<size_t>(out.size());
    const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return QStringLiteral("<invalid>");
    return QString::fromUtf8(out.constData(), static_cast<int>(dst - out.data()));
}

// Sample i at time i / 100 s; channel k holds k * 10 + i / 8 (exact in binary).
tVectorRecord MakeRecord(int count) {
    tVectorRecord record;
    for (int i = 0; i < count; ++i) {
        double values[kChannelCount];
        for (int k = 0; k < kChannelCount; ++k) values[k] = k * 10 + i / 8.0;
        record.Append(static_cast<float>(i / 100.0), values);
    }
    return record;
}

struct tExportFixture : ::testing::Test {
    tVectorRecord record = MakeRecord(60);
    tMarkSet marks[kChannelCount];
    tExportSource source;

    void SetUp() override {
        source.record = &record;
        for (int k = 0; k < kChannelCount; ++k) source.marks[k] = &marks[k];
        source.separator = u',';
    }

    // The written lines, decoded; the last line end is checked and removed.
    QStringList Lines() {
        const std::optional<QByteArray> bytes = BuildExportFile(source);
        if (!bytes) return {QStringLiteral("<no data>")};
        EXPECT_TRUE(bytes->endsWith("\r\n"));
        QStringList lines = DecodeWithLibrary(*bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }

    // The first field (the time) of every data row.
    QStringList Times() {
        QStringList times;
        const QStringList lines = Lines();
        for (int i = 1; i < lines.size(); ++i) times << lines[i].section(u'\t', 0, 0);
        return times;
    }

    void MarkEverySeries(int index) {
        for (tMarkSet& m : marks) m.Toggle(index);
    }
};

const char* const kFullHeader = "t\tax\tay\taz\twx\twy\twz\tфx\tфy\tфz";

}  // namespace

TEST(Windows1251, EncodesEveryCharacterOfTheCodePageBackToItsByte) {
    for (int b = 0; b < 256; ++b) {
        if (b == 0x98) continue;  // unassigned
        const QByteArray byte(1, static_cast<char>(b));
        const QString decoded = DecodeWithLibrary(byte);
        ASSERT_EQ(decoded.size(), 1) << b;
        EXPECT_EQ(EncodeWindows1251(decoded), byte) << b;
        EXPECT_EQ(DecodeWindows1251(byte), decoded) << b;
    }
    EXPECT_EQ(EncodeWindows1251(QString::fromUtf8("фz°ъ€→😀")), QByteArray("\xF4z\xB0\xFA\x88??"));
}

TEST_F(tExportFixture, WritesTheWholeRecordWithoutMarkers) {
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 61);
    EXPECT_EQ(lines[0], QString::fromUtf8(kFullHeader));
    EXPECT_EQ(lines[1], "0,000\t0,00\t10,00\t20,00\t30,00\t40,00\t50,00\t60,00\t70,00\t80,00");
    // Angles get two decimals too; 1/8 rounds half away from zero.
    EXPECT_EQ(lines[2], "0,010\t0,13\t10,13\t20,13\t30,13\t40,13\t50,13\t60,13\t70,13\t80,13");
    EXPECT_EQ(Times().last(), "0,590");
}

TEST_F(tExportFixture, WritesFromTheFirstSampleToTheCursor) {
    source.CursorIndex = 5;
    EXPECT_EQ(Times(), (QStringList{"0,000", "0,010", "0,020", "0,030", "0,040", "0,050"}));
}

TEST_F(tExportFixture, WritesFromTheZeroMarkerToTheLastSampleRelativeToIt) {
    source.ZeroMarkerIndex = 57;
    EXPECT_EQ(Times(), (QStringList{"0,000", "0,010", "0,020"}));
}

TEST_F(tExportFixture, WritesAscendingWhenTheZeroMarkerLiesAfterTheCursor) {
    source.ZeroMarkerIndex = 50;
    source.CursorIndex = 10;
    const QStringList times = Times();
    ASSERT_EQ(times.size(), 41);
    EXPECT_EQ(times.first(), "-0,400");
    EXPECT_EQ(times[39], "-0,010");
    EXPECT_EQ(times.last(), "0,000");
}

TEST_F(tExportFixture, WritesOnlyMarkedSamplesWhenAnyIsMarked) {
    source.ZeroMarkerIndex = 10;
    source.CursorIndex = 20;
    MarkEverySeries(40);
    MarkEverySeries(3);
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], QString::fromUtf8(kFullHeader));
    EXPECT_TRUE(lines[1].startsWith("-0,070\t0,38\t10,38\t")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("0,300\t5,00\t")) << lines[2].toStdString();
}

TEST_F(tExportFixture, TakesMarksOfHiddenSeriesForTheModeButNotForTheRows) {
    source.visible.reset(8);
    marks[8].Toggle(12);  // only the hidden yaw series is marked here
    marks[0].Toggle(30);  // only ax here
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[1], "0,300\t3,75");
}

TEST_F(tExportFixture, LeavesHiddenChannelsOutOfHeaderAndRows) {
    source.visible.reset();
    source.visible.set(1).set(6);
    source.CursorIndex = 1;
    EXPECT_EQ(Lines(), (QStringList{QString::fromUtf8("t\tay\tфx"), "0,000\t10,00\t60,00",
                                    "0,010\t10,13\t60,13"}));
}

TEST_F(tExportFixture, UsesTheCurrentChannelNamesAndSeparator) {
    QString names[kChannelCount];
    for (int k = 0; k < kChannelCount; ++k) names[k] = QString::fromUtf8("Канал %1").arg(k);
    source.names = names;
    source.separator = u'.';
    source.CursorIndex = 0;
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("t\tКанал 0\tКанал 1\t")));
    EXPECT_TRUE(lines[1].startsWith("0.000\t0.00\t10.00"));
}

TEST_F(tExportFixture, FindsNoDataInAnEmptyRecordOrBeyondIt) {
    tVectorRecord empty;
    source.record = &empty;
    EXPECT_FALSE(BuildExportFile(source));  // both markers -1
    source.ZeroMarkerIndex = source.CursorIndex = 0;
    EXPECT_FALSE(BuildExportFile(source));  // both 0, before any measurement

    source.record = &record;
    source.CursorIndex = 60;
    EXPECT_FALSE(BuildExportFile(source));
    source.CursorIndex = 59;
    source.ZeroMarkerIndex = 60;
    EXPECT_FALSE(BuildExportFile(source));
}

TEST_F(tExportFixture, ReplacesAnExistingFileAndKeepsItWhenThereIsNoData) {
    TempFolder folder;
    const QString path = folder.Write(QStringLiteral("out.csv"), "old content that is longer");
    ASSERT_TRUE(ExportRecord(path, source).ok());
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")), *BuildExportFile(source));

    tVectorRecord empty;
    source.record = &empty;
    const tExportResult none = ExportRecord(path, source);
    EXPECT_EQ(none.status, tExportResult::NoData);
    EXPECT_EQ(none.message, QString::fromUtf8("Нет данных для экспорта."));
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")).size(), BuildExportFile({&record})->size());
}

TEST_F(tExportFixture, ReportsAFileThatCannotBeCreated) {
    TempFolder folder;
    const QString path = folder.Path(QStringLiteral("missing/out.csv"));
    const tExportResult result = ExportRecord(path, source);
    EXPECT_EQ(result.status, tExportResult::CreateFailed);
    EXPECT_EQ(result.message,
              QStringLiteral("Cannot create file \"%1\". No such file or directory").arg(path));
}

TEST_F(tExportFixture, KeepsTheOldFileWhenWritingFails) {
    TempFolder folder;
    const QString path = folder.Write(QStringLiteral("out.csv"), "old");
    // A file size limit makes the write itself fail, also for root.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const tExportResult result = ExportRecord(path, source);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_EQ(result.status, tExportResult::WriteFailed);
    EXPECT_EQ(result.message, QStringLiteral("Stream write error"));
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")), QByteArray("old"));
    EXPECT_EQ(QDir(folder.Root()).entryList(QDir::Files), QStringList{"out.csv"});
}

TEST(MarkSet, TogglesMarksAndListsThemAscending) {
    tMarkSet marks;
    marks.Toggle(7);
    marks.Toggle(2);
    marks.Toggle(5);
    marks.Toggle(-1);
    EXPECT_EQ(marks.Indices(), (std::vector<int>{2, 5, 7}));
    EXPECT_EQ(marks.Label(5), " ");
    marks.Toggle(5);  // marking twice unmarks
    EXPECT_EQ(marks.Label(5), "");
    EXPECT_EQ(marks.Indices(), (std::vector<int>{2, 7}));
    EXPECT_TRUE(marks.AnyBelow(3));
    EXPECT_FALSE(marks.AnyBelow(2));
}
