#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <string>

#include "app/log_file.h"
#include "model/channels.h"
#include "model/sample_decoder.h"
#include "model/vector_record.h"
#include "qt_printers.h"
#include "support/temp_folder.h"

namespace {

std::string SampleText(float ax, float tt, int b, float az = 0, float r = 0) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "ax:%.9g\tay:0\taz:%.9g\tgx:65536\tgy:0\tgz:-32768\tr:%.9g\tp:0\ty:-500\ttt:%.9g\tb:%d",
                  static_cast<double>(ax), static_cast<double>(az), static_cast<double>(r),
                  static_cast<double>(tt), b);
    return text;
}

tChunkResult Decode(tSampleDecoder& decoder, const std::string& chunk, int recordCount = 0,
                    const tDecodeLog& log = {}) {
    return decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), recordCount, log);
}

// The lines of a log file, without their line ends.
QStringList LoggedLines(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeAll(QString());
    return lines;
}

// Each line is "<date> <time> <message>"; the date and time formats are the user's.
::testing::AssertionResult LogsMessages(const QStringList& lines, const QStringList& messages) {
    if (lines.size() != messages.size())
        return ::testing::AssertionFailure() << lines.size() << " lines: " << lines.join('|').toStdString();
    for (int i = 0; i < lines.size(); ++i)
        if (!lines[i].endsWith(u' ' + messages[i]))
            return ::testing::AssertionFailure() << "line " << i << ": " << lines[i].toStdString();
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(SampleScaling, GivesTheExactPhysicalValues) {
    tSampleDecoder decoder;
    const std::string line =
        "ax:32768\tay:12345.5\taz:-16384\tgx:65536\tgy:-7\tgz:0\tr:1000\tp:9\ty:-500\ttt:1234.567\tb:87";
    tSample s;
    ASSERT_TRUE(decoder.DecodeLine(line.data(), static_cast<int>(line.size()), true, s));
    EXPECT_EQ(s.value[0], 9.81);
    EXPECT_EQ(s.value[1], 9.81 * 12345.5 / 32768);
    EXPECT_EQ(s.value[2], -4.905);
    EXPECT_EQ(s.value[3], 2.0);
    EXPECT_EQ(s.value[4], -7.0 / 32768);
    EXPECT_EQ(s.value[6], 1.0);
    // Multiplied by 0.001, which is not the same double as dividing by 1000 here.
    EXPECT_EQ(s.value[7], 9 * 0.001);
    EXPECT_NE(s.value[7], 9 / 1000.0);
    EXPECT_EQ(s.value[8], -0.5);
    EXPECT_EQ(s.time, static_cast<float>(static_cast<double>(1234.567f) * 0.001));
    EXPECT_EQ(s.battery, 87);
}

TEST(RelativeReadings, KeepTheFirstPointAbsoluteAndSubtractInSinglePrecision) {
    tSampleDecoder decoder;
    decoder.SetRelative(0, true);
    decoder.SetRelative(2, true);
    const tChunkResult first = Decode(decoder, SampleText(0.5f, 10, 50, 16384) + "\r\n");
    ASSERT_EQ(first.samples.size(), 1u);
    EXPECT_EQ(first.samples[0].value[0], 9.81 * 0.5 / 32768);
    EXPECT_EQ(first.samples[0].value[2], 9.81 / 2);
    EXPECT_EQ(decoder.ZeroRef(0), 0.5);
    EXPECT_EQ(decoder.ZeroRef(2), 16384);
    EXPECT_EQ(decoder.ZeroRef(1), 0);

    // A later chunk: 2^24 - 0.5 is not a float, so single precision rounds back to 2^24.
    const tChunkResult later =
        Decode(decoder, SampleText(16777216.0f, 20, 50, 16384) + "\r\n", 1);
    ASSERT_EQ(later.samples.size(), 1u);
    EXPECT_EQ(later.samples[0].value[0], 9.81 * 16777216.0 / 32768);
    EXPECT_EQ(later.samples[0].value[2], 0.0);
    EXPECT_EQ(later.samples[0].value[3], 2.0);  // an absolute channel is untouched
    EXPECT_EQ(decoder.ZeroRef(0), 0.5);

    decoder.ResetZeroRef();
    EXPECT_EQ(decoder.ZeroRef(0), 0);
    EXPECT_EQ(decoder.ZeroRef(2), 0);
}

TEST(RelativeReadings, TakeTheReferenceFromTheFirstAcceptedLineOnly) {
    tSampleDecoder decoder;
    decoder.SetRelative(6, true);
    const std::string chunk = "garbage\r\n" + SampleText(0, 10, 1, 0, 2000) + "\r\n" +
                              SampleText(0, 20, 1, 0, 2500) + "\r\n";
    const tChunkResult result = Decode(decoder, chunk);
    ASSERT_EQ(result.samples.size(), 2u);
    EXPECT_EQ(result.samples[0].value[6], 2.0);
    EXPECT_EQ(result.samples[1].value[6], 500 * 0.001);
}

TEST(RelativeReadings, RejectALineWhoseDifferenceOverflowsAFloat) {
    tSampleDecoder decoder;
    decoder.SetRelative(0, true);
    Decode(decoder, SampleText(-3e38f, 10, 1) + "\r\n");
    const tChunkResult result = Decode(decoder, SampleText(3e38f, 20, 1) + "\r\n", 1);
    EXPECT_TRUE(result.samples.empty());
    EXPECT_EQ(result.rejected.size(), 1);
    EXPECT_EQ(decoder.ZeroRef(0), static_cast<double>(-3e38f));
}

TEST(ChunkDecoding, DecodesEveryLineAndReportsTheLastSampleOfTheChunk) {
    tSampleDecoder decoder;
    const std::string chunk = SampleText(1, 100, 90) + "\r\n" + SampleText(2, 200, 80) + "\r\n" +
                              SampleText(3, 300, 70) + "\r\n";
    const tChunkResult result = Decode(decoder, chunk);
    ASSERT_EQ(result.samples.size(), 3u);
    EXPECT_EQ(result.lines, 3);
    EXPECT_TRUE(result.rejected.isEmpty());
    EXPECT_EQ(result.samples[2].value[0], 9.81 * 3 / 32768);
    EXPECT_EQ(result.time, 0.3f);
    EXPECT_EQ(result.battery, 70);
    EXPECT_TRUE(result.MovesTimeAxes());
    EXPECT_TRUE(result.ShowsBattery());

    tVectorRecord record;
    for (const tSample& s : result.samples) record.Append(s);
    EXPECT_EQ(record.Count(), 3);
    EXPECT_EQ(record.Time(1), static_cast<double>(0.2f));
}

TEST(ChunkDecoding, SplitsOnlyAtCrLfAndDropsTheUnendedRest) {
    tSampleDecoder decoder;
    const std::string a = SampleText(1, 100, 90), b = SampleText(2, 200, 80);
    // A lone LF or CR stays inside the line; the scan stops after the battery, so "a\nb" reads
    // as a. The bytes after the last CR LF are dropped without a trace.
    const tChunkResult result =
        Decode(decoder, a + "\n" + b + "\r\n" + "\r\r\n" + "\r\n" + b + "\r" + b);
    EXPECT_EQ(result.lines, 3);
    ASSERT_EQ(result.samples.size(), 1u);
    EXPECT_EQ(result.samples[0].battery, 90);
    EXPECT_EQ(result.rejected, (QList<QByteArray>{"\r", ""}));
    EXPECT_EQ(result.battery, 90);
}

TEST(ChunkDecoding, LeavesTimeAndBatteryUnsetWithoutAUsableSample) {
    tSampleDecoder decoder;
    std::string noBattery = SampleText(1, 100, 5);
    noBattery.resize(noBattery.rfind("\tb:"));
    const tChunkResult rejected = Decode(decoder, noBattery + "\r\n");
    EXPECT_EQ(rejected.rejected.size(), 1);
    EXPECT_FALSE(rejected.MovesTimeAxes());
    EXPECT_FALSE(rejected.ShowsBattery());

    const tChunkResult unknown = Decode(decoder, SampleText(1, 0, -1) + "\r\n");
    ASSERT_EQ(unknown.samples.size(), 1u);
    EXPECT_FALSE(unknown.MovesTimeAxes());  // time 0
    EXPECT_FALSE(unknown.ShowsBattery());   // battery -1

    EXPECT_EQ(Decode(decoder, "").lines, 0);
    EXPECT_EQ(decoder.DecodeChunk(nullptr, 10, 0).lines, 0);
}

TEST(ChunkDecoding, LogsReceivedLinesAndPacketErrorsInOrder) {
    TempFolder folder;
    const QString path = folder.Path(QStringLiteral("decode.log"));
    const std::string good = SampleText(1, 100, 90);
    const std::string chunk = good + "\r\nax:oops\r\n" + good + "\r\n";
    {
        tLogFile log(path, {QStringLiteral("tests"), QStringLiteral("-LOG")});
        tSampleDecoder decoder;
        Decode(decoder, chunk, 0, {&log, true});
        Decode(decoder, chunk, 2, {&log, false});
    }
    const QString line = QString::fromStdString(good);
    EXPECT_TRUE(LogsMessages(LoggedLines(path), QStringList{line, QStringLiteral("ax:oops"), QStringLiteral("PACKET ERROR:ax:oops"),
                           line, QStringLiteral("PACKET ERROR:ax:oops")}));
    EXPECT_EQ(PacketErrorLogLine("x\ty"), QByteArray("PACKET ERROR:x\ty"));
    EXPECT_EQ(MeasureLogLine("x\ty"), QByteArray("x\ty"));
}

TEST(ChunkDecoding, KeepsOutOfOrderTimesSortedInTheRecord) {
    tVectorRecord record;
    const double a[kChannelCount] = {1}, b[kChannelCount] = {2}, c[kChannelCount] = {3},
                 d[kChannelCount] = {4};
    record.Append(1.0, a);
    record.Append(3.0, b);
    record.Append(1.0, c);  // after the last sample not above its time
    record.Append(0.5, d);
    ASSERT_EQ(record.Count(), 4);
    EXPECT_EQ(record.Time(0), 0.5);
    EXPECT_EQ(record.Value(0, 0), 4);
    EXPECT_EQ(record.Value(0, 1), 1);
    EXPECT_EQ(record.Value(0, 2), 3);
    EXPECT_EQ(record.Value(0, 3), 2);
}

TEST(ChannelTable, NamesTheValueRowsAndTheirDecimals) {
    EXPECT_EQ(ChannelRowKey(0), QString::fromUtf8("ax, м/с^2"));
    EXPECT_EQ(ChannelRowKey(5), QString::fromUtf8("wz, °/c"));
    EXPECT_EQ(ChannelRowKey(8), QString::fromUtf8("фz, °"));
    EXPECT_EQ(ChannelRowDecimals(5), 2);
    EXPECT_EQ(ChannelRowDecimals(6), 0);
}
