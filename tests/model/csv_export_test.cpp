#include "model/csv_export.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <signal.h>
#include <sys/resource.h>

#include <QStringList>

#include "model/vector_record.h"
#include "model/windows1251.h"
#include "qt_printers.h"
#include "support/temp_folder.h"

namespace {

// Windows-1251 decoded by the C library, independently of our own table.
QString DecodeWithLibrary(QByteArray bytes) {
    iconv_t cd = iconv_open("UTF-8", "WINDOWS-1251");
    QByteArray out(bytes.size() * 4 + 4, '\0');
    char* src = bytes.data();
    char* dst = out.data();
    size_t srcLeft = static_cast<size_t>(bytes.size()), dstLeft = static_cast<size_t>(out.size());
    const bool ok = cd != reinterpret_cast<iconv_t>(-1) &&
                    iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1);
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    return ok ? QString::fromUtf8(out.constData(), static_cast<int>(dst - out.data()))
              : QStringLiteral("<invalid>");
}

const char* const kFullHeader = "t\tax\tay\taz\twx\twy\twz\tфx\tфy\tфz";

struct ExportFile : ::testing::Test {
    tVectorRecord record;
    tMarkSet marks[kChannelCount];
    tExportSource source;
    TempFolder folder;

    void SetUp() override {
        // Sample i at i / 100 s; channel k holds k * 10 + i / 8, exact in binary.
        for (int i = 0; i < 60; ++i) {
            double values[kChannelCount];
            for (int k = 0; k < kChannelCount; ++k) values[k] = k * 10 + i / 8.0;
            record.Append(static_cast<float>(i / 100.0), values);
        }
        source.record = &record;
        for (int k = 0; k < kChannelCount; ++k) source.marks[k] = &marks[k];
        source.separator = u',';
    }

    // The file's lines as read back; every line must end with CR LF.
    QStringList Lines() {
        const QString path = folder.Path(QStringLiteral("out.csv"));
        const tExportResult result = ExportRecord(path, source);
        if (!result.ok()) return {result.message};
        const QByteArray bytes = folder.Read(QStringLiteral("out.csv"));
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        QStringList lines = DecodeWithLibrary(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }

    QStringList Times() {
        QStringList times;
        for (const QString& line : Lines().mid(1)) times << line.section(u'\t', 0, 0);
        return times;
    }
};

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

TEST_F(ExportFile, WritesTheWholeRecordWithoutMarkersAndReplacesAnOldFile) {
    folder.Write(QStringLiteral("out.csv"), QByteArray(10000, 'x'));
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 61);
    EXPECT_EQ(lines[0], QString::fromUtf8(kFullHeader));
    EXPECT_EQ(lines[1], "0,000\t0,00\t10,00\t20,00\t30,00\t40,00\t50,00\t60,00\t70,00\t80,00");
    // Angles get two decimals as well; 1/8 is a half and rounds away from zero.
    EXPECT_EQ(lines[2], "0,010\t0,13\t10,13\t20,13\t30,13\t40,13\t50,13\t60,13\t70,13\t80,13");
    EXPECT_EQ(lines[60].section(u'\t', 0, 0), "0,590");
}

TEST_F(ExportFile, WritesTheRangeBetweenTheMarkersAscending) {
    const struct {
        int zero, cursor, rows;
        const char *first, *last;
    } cases[] = {
        {-1, 5, 6, "0,000", "0,050"},     // the cursor alone: from the first sample
        {57, -1, 3, "0,000", "0,020"},    // the zero marker alone: to the last, relative
        {50, 10, 41, "-0,400", "0,000"},  // the zero marker after the cursor
        {20, 20, 1, "0,000", "0,000"},
    };
    for (const auto& c : cases) {
        source.ZeroMarkerIndex = c.zero;
        source.CursorIndex = c.cursor;
        const QStringList times = Times();
        ASSERT_EQ(times.size(), c.rows) << c.zero << " " << c.cursor;
        EXPECT_EQ(times.first(), c.first);
        EXPECT_EQ(times.last(), c.last);
    }
}

TEST_F(ExportFile, WritesOnlyMarkedSamplesWhenAnySeriesHasAMark) {
    source.ZeroMarkerIndex = 10;
    source.CursorIndex = 20;
    for (tMarkSet& m : marks) m.Toggle(40), m.Toggle(3);
    marks[8].Toggle(12);  // hidden below: sets the mode but gives no row
    source.visible.reset(8);
    marks[0].Toggle(30);  // on ax alone: a row with ax alone
    const QStringList lines = Lines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QString::fromUtf8("t\tax\tay\taz\twx\twy\twz\tфx\tфy"));
    EXPECT_EQ(lines[1], "-0,070\t0,38\t10,38\t20,38\t30,38\t40,38\t50,38\t60,38\t70,38");
    EXPECT_EQ(lines[2], "0,200\t3,75");
    EXPECT_TRUE(lines[3].startsWith("0,300\t5,00\t15,00\t"));

    for (tMarkSet& m : marks) m.Clear();
    marks[8].Toggle(12);
    EXPECT_EQ(Lines().size(), 1);  // the header still comes in full
}

TEST_F(ExportFile, WritesOnlyVisibleChannelsUnderTheCurrentNames) {
    QString names[kChannelCount];
    for (int k = 0; k < kChannelCount; ++k) names[k] = QString::fromUtf8("Канал %1").arg(k);
    source.names = names;
    source.visible.reset().set(1).set(6);
    source.separator = u'.';
    source.CursorIndex = 1;
    EXPECT_EQ(Lines(), (QStringList{QString::fromUtf8("t\tКанал 1\tКанал 6"), "0.000\t10.00\t60.00",
                                    "0.010\t10.13\t60.13"}));
}

TEST_F(ExportFile, WritesNothingForAnEmptyRecordOrMarkersBeyondIt) {
    folder.Write(QStringLiteral("out.csv"), "old");
    tVectorRecord empty;
    source.record = &empty;
    EXPECT_EQ(Lines(), QStringList{QString::fromUtf8("Нет данных для экспорта.")});
    source.ZeroMarkerIndex = source.CursorIndex = 0;  // before the first measurement
    EXPECT_EQ(ExportRecord(folder.Path(QStringLiteral("out.csv")), source).status,
              tExportResult::NoData);
    source.record = &record;
    source.CursorIndex = 60;
    EXPECT_FALSE(BuildExportFile(source));
    source.CursorIndex = 59;
    source.ZeroMarkerIndex = 60;
    EXPECT_FALSE(BuildExportFile(source));
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")), "old");
}

TEST_F(ExportFile, ReportsFailuresAndKeepsTheOldFile) {
    const QString missing = folder.Path(QStringLiteral("missing/out.csv"));
    const tExportResult create = ExportRecord(missing, source);
    EXPECT_EQ(create.status, tExportResult::CreateFailed);
    EXPECT_EQ(create.message,
              QStringLiteral("Cannot create file \"%1\". %2")
                  .arg(missing, QString::fromLocal8Bit(std::strerror(ENOENT))));

    // A file size limit makes the write itself fail, also for root.
    const QString path = folder.Write(QStringLiteral("out.csv"), "old");
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &small);
    const tExportResult write = ExportRecord(path, source);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_EQ(write.status, tExportResult::WriteFailed);
    EXPECT_EQ(write.message, QStringLiteral("Stream write error"));
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")), "old");
    EXPECT_EQ(QDir(folder.Root()).entryList(QDir::Files), QStringList{"out.csv"});
}

TEST_F(ExportFile, ReportsItsProgressUpToTheFileInPlace) {
    // Enough rows for several pieces of the file.
    tVectorRecord longer;
    for (int i = 0; i < 40000; ++i) {
        double values[kChannelCount];
        for (int k = 0; k < kChannelCount; ++k) values[k] = (k - 4) * i / 7.0;
        longer.Append(i / 100.0, values);
    }
    source.record = &longer;
    std::vector<int> seen;
    const auto progress = [&seen](int percent) { seen.push_back(percent); };
    ASSERT_TRUE(ExportRecord(folder.Path(QStringLiteral("out.csv")), source, progress).ok());
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::adjacent_find(seen.begin(), seen.end(), std::greater_equal<int>()) ==
                seen.end());
    EXPECT_EQ(folder.Read(QStringLiteral("out.csv")), *BuildExportFile(source));

    seen.clear();
    EXPECT_FALSE(
        ExportRecord(folder.Path(QStringLiteral("missing/out.csv")), source, progress).ok());
    EXPECT_TRUE(seen.empty());
}

TEST(MarkSet, TogglesMarksAndListsThemAscending) {
    tMarkSet marks;
    for (const int i : {7, 2, 5, -1, 5}) marks.Toggle(i);  // marking twice unmarks
    EXPECT_EQ(marks.Indices(), (std::vector<int>{2, 7}));
    EXPECT_EQ(marks.Label(7), " ");
    EXPECT_EQ(marks.Label(5), "");
    EXPECT_TRUE(marks.AnyBelow(3));
    EXPECT_FALSE(marks.AnyBelow(2));
}
