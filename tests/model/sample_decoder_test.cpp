#include "model/sample_decoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringList>
#include <string>

#include "app/log_file.h"
#include "model/vector_record.h"
#include "qt_printers.h"
#include "support/temp_folder.h"

namespace {

// A line as the ball writes it: numbers with a decimal point, whatever the locale.
std::string Sample(float ax, float tt, int b, float az = 0) {
    auto number = [](float v) { return QByteArray::number(static_cast<double>(v), 'g', 9); };
    return ("ax:" + number(ax) + "\tay:0\taz:" + number(az) +
            "\tgx:65536\tgy:0\tgz:0\tr:0\tp:0\ty:0\ttt:" + number(tt) + "\tb:" +
            QByteArray::number(b) + "\r\n")
        .toStdString();
}

tChunkResult Decode(tSampleDecoder& decoder, const std::string& chunk, int recordCount = 0,
                    const tDecodeLog& log = {}) {
    return decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), recordCount, log);
}

}  // namespace

TEST(SampleDecoder, ScalesTheFieldsExactly) {
    tSampleDecoder decoder;
    const std::string line =
        "ax:32768\tay:12345.5\taz:-16384\tgx:65536\tgy:-7\tgz:0\tr:1000\tp:9\ty:-500\ttt:1234."
        "567\tb:"
        "87";
    tSample s;
    ASSERT_TRUE(decoder.DecodeLine(line.data(), static_cast<int>(line.size()), true, s));
    EXPECT_EQ(s.value[0], 9.81);
    EXPECT_EQ(s.value[1], 9.81 * 12345.5 / 32768);
    EXPECT_EQ(s.value[2], -4.905);
    EXPECT_EQ(s.value[3], 2.0);
    EXPECT_EQ(s.value[4], -7.0 / 32768);
    EXPECT_EQ(s.value[6], 1.0);
    EXPECT_EQ(s.value[7], 9 * 0.001);  // times 0.001, which differs from 9 / 1000 here
    EXPECT_NE(s.value[7], 9 / 1000.0);
    EXPECT_EQ(s.value[8], -0.5);
    EXPECT_EQ(s.time, static_cast<float>(static_cast<double>(1234.567f) * 0.001));
    EXPECT_EQ(s.battery, 87);
}

TEST(SampleDecoder, KeepsTheFirstRelativePointAbsoluteAndSubtractsInSinglePrecision) {
    tSampleDecoder decoder;
    decoder.SetRelative(0, true);
    decoder.SetRelative(2, true);
    // The reference comes from the first accepted line, not from a rejected one before it.
    const tChunkResult first = Decode(decoder, "junk\r\n" + Sample(0.5f, 10, 50, 16384));
    ASSERT_EQ(first.samples.size(), 1u);
    EXPECT_EQ(first.samples[0].value[0], 9.81 * 0.5 / 32768);
    EXPECT_EQ(first.samples[0].value[2], 9.81 / 2);
    EXPECT_EQ(decoder.ZeroRef(0), 0.5);
    EXPECT_EQ(decoder.ZeroRef(1), 0);

    // 2^24 - 0.5 is no float: the difference, stored back as one, is 2^24 again.
    const tChunkResult later = Decode(decoder, Sample(16777216.0f, 20, 50, 16384), 1);
    ASSERT_EQ(later.samples.size(), 1u);
    EXPECT_EQ(later.samples[0].value[0], 9.81 * 16777216.0 / 32768);
    EXPECT_EQ(later.samples[0].value[2], 0.0);
    EXPECT_EQ(later.samples[0].value[3], 2.0);  // absolute channels are untouched

    // A difference beyond the float range rejects the line and keeps the reference.
    decoder.ResetZeroRef();
    EXPECT_EQ(decoder.ZeroRef(2), 0);
    Decode(decoder, Sample(-3e38f, 10, 1));
    EXPECT_EQ(Decode(decoder, Sample(3e38f, 20, 1), 1).rejected.size(), 1);
    EXPECT_EQ(decoder.ZeroRef(0), static_cast<double>(-3e38f));
}

TEST(SampleDecoder, SplitsAtCrLfAndReportsTheChunksLastSample) {
    tSampleDecoder decoder;
    const tChunkResult three =
        Decode(decoder, Sample(1, 100, 90) + Sample(2, 200, 80) + Sample(3, 300, 70));
    ASSERT_EQ(three.samples.size(), 3u);
    EXPECT_EQ(three.samples[2].value[0], 9.81 * 3 / 32768);
    EXPECT_EQ(three.time, 0.3f);
    EXPECT_EQ(three.battery, 70);
    EXPECT_TRUE(three.MovesTimeAxes() && three.ShowsBattery());

    // A lone LF or CR stays in its line, and the scan stops after the battery, so "a\nb" reads
    // as a; the bytes after the last CR LF are dropped.
    std::string a = Sample(1, 100, 90), b = Sample(2, 200, 80);
    a.resize(a.size() - 2);
    const tChunkResult mixed = Decode(decoder, a + "\n" + b + "\r\r\n\r\n" + a + "\r" + a);
    EXPECT_EQ(mixed.lines, 3);
    ASSERT_EQ(mixed.samples.size(), 1u);
    EXPECT_EQ(mixed.samples[0].battery, 90);
    EXPECT_EQ(mixed.rejected, (QList<QByteArray>{"\r", ""}));

    // Without the battery field the line is rejected; time 0 and battery -1 move nothing.
    EXPECT_FALSE(Decode(decoder, a.substr(0, a.rfind("\tb:")) + "\r\n").ShowsBattery());
    const tChunkResult unknown = Decode(decoder, Sample(1, 0, -1));
    EXPECT_EQ(unknown.samples.size(), 1u);
    EXPECT_FALSE(unknown.MovesTimeAxes() || unknown.ShowsBattery());
    EXPECT_EQ(decoder.DecodeChunk(nullptr, 10, 0).lines, 0);
}

TEST(SampleDecoder, LogsReceivedLinesAndPacketErrorsInOrder) {
    TempFolder folder;
    const QString path = folder.Path(QStringLiteral("decode.log"));
    std::string good = Sample(1, 100, 90);
    const std::string chunk = good + "ax:oops\r\n" + good;
    {
        tLogFile log(path, {QStringLiteral("tests"), QStringLiteral("-LOG")});
        tSampleDecoder decoder;
        Decode(decoder, chunk, 0, {&log, true});
        Decode(decoder, chunk, 2, {&log, false});
    }
    good.resize(good.size() - 2);
    const QString line = QString::fromStdString(good);
    const QStringList expected{line, "ax:oops", "PACKET ERROR:ax:oops", line,
                               "PACKET ERROR:ax:oops"};
    // Each line is "<date> <time> <message>"; the date and time formats are the user's.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
    lines.removeAll(QString());
    ASSERT_EQ(lines.size(), expected.size()) << lines.join(u'|').toStdString();
    for (int i = 0; i < lines.size(); ++i) EXPECT_TRUE(lines[i].endsWith(u' ' + expected[i])) << i;
}

TEST(VectorRecord, InsertsAnEarlierTimeAfterTheLastSampleNotAboveIt) {
    tVectorRecord record;
    for (const double t : {1.0, 3.0, 1.0, 0.5}) {
        const double values[kChannelCount] = {t * 10 + record.Count()};
        record.Append(t, values);
    }
    ASSERT_EQ(record.Count(), 4);
    EXPECT_EQ(record.Time(0), 0.5);
    EXPECT_EQ(record.Value(0, 0), 8);
    EXPECT_EQ(record.Value(0, 1), 10);
    EXPECT_EQ(record.Value(0, 2), 12);
    EXPECT_EQ(record.Value(0, 3), 31);
}
