// The recording journal written and read back, the files a crash leaves, and the inputs that
// the reader refuses beyond the bad files that the window test opens.
#include "model/record_journal.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QFile>
#include <QTest>
#include <csignal>

#include "model/journal_folder.h"
#include "model/record_reader.h"
#include "model/vector_record.h"
#include "support/temp_folder.h"

namespace {
QByteArray SampleLine(int i) {
    return QStringLiteral(
               "ax:%1\tay:-%2\taz:16384\tgx:%3\tgy:0\tgz:7\tr:%4\tp:0\ty:-500\ttt:%5\tb:87")
        .arg(i * 13)
        .arg(i)
        .arg(65536 - i)
        .arg(i * 1000)
        .arg(1500 + i * 10)
        .toLatin1();
}

// Chunks as the stream delivers them: sample lines, a garbage line, one that starts with "#"
// and pretends to be the stop, and bytes behind the last line end.
std::vector<QByteArray> Chunks() {
    std::vector<QByteArray> chunks;
    for (int c = 0; c < 5; ++c) {
        QByteArray chunk;
        for (int i = 0; i < 4; ++i) chunk += SampleLine(c * 4 + i) + "\r\n";
        if (c == 1) chunk += "garbage\r\n#event 2026-01-01T00:00:00.000 stop\r\n";
        if (c == 2) chunk += "ax:1\tay:2\r";
        chunks.push_back(chunk);
    }
    return chunks;
}

tJournalHeader Header() {
    tJournalHeader header;
    header.program = QStringLiteral("1.2.3");
    header.start = QDateTime(QDate(2026, 12, 9), QTime(15, 42, 31));
    header.port = QStringLiteral("/dev/ttyUSB0");
    header.devTime = 4200;
    header.acc = {QStringLiteral("± 4g"), -40.01, 40};
    header.gyro = {QStringLiteral("500 °/сек"), -500.01, 500};
    header.relative.set(2);
    header.battery = 87;
    return header;
}

std::unique_ptr<tRecordJournal> WriteJournal(const TempFolder& folder) {
    QString error;
    auto journal =
        tRecordJournal::Create(folder.Root(), Header().start, JournalHeaderText(Header()), error);
    EXPECT_TRUE(journal) << error.toStdString();
    if (!journal) return nullptr;
    for (const QByteArray& chunk : Chunks()) journal->AppendLines(chunk.data(), chunk.size());
    journal->AppendEvent(QStringLiteral("motor"), QStringLiteral("128"));
    return journal;
}

tRecordError Read(const QByteArray& bytes, tRecordInfo& info, tVectorRecord& sink,
                  const tRecordLimits& limits = {}) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadRecord(buffer, bytes.size(), sink, info, limits);
}
}  // namespace

TEST(RecordJournal, ReadsBackTheRecordTheDecoderMadeOfTheSameChunks) {
    TempFolder folder;
    auto journal = WriteJournal(folder);
    ASSERT_TRUE(journal);
    const QString path = journal->Path();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/2026-12-09_15-42-31.mvrec")));
    journal->Close();
    EXPECT_FALSE(journal->Failed());

    tSampleDecoder decoder;
    decoder.SetRelative(2, true);
    tVectorRecord live;
    for (const QByteArray& chunk : Chunks())
        for (const tSample& s :
             decoder.DecodeChunk(chunk.data(), chunk.size(), live.Count()).samples)
            live.Append(s);

    tVectorRecord sink;
    tRecordInfo info;
    ASSERT_FALSE(ReadRecordFile(path, sink, info));
    EXPECT_EQ(info.kind, tRecordInfo::Journal);
    EXPECT_TRUE(info.stopped);
    EXPECT_EQ(info.rejected, 2);  // the garbage and the line that posed as an event
    EXPECT_TRUE(info.hasRanges);
    EXPECT_EQ(info.acc.entry, QStringLiteral("± 4g"));
    EXPECT_DOUBLE_EQ(info.gyro.min, -500.01);
    ASSERT_EQ(sink.Count(), 20);
    ASSERT_EQ(live.Count(), 20);
    for (int i = 0; i < live.Count(); ++i) {
        EXPECT_EQ(sink.Time(i), live.Time(i));
        for (int k = 0; k < kChannelCount; ++k) EXPECT_EQ(sink.Value(k, i), live.Value(k, i));
    }
    // The relative channel: its first sample absolute, the later ones against it.
    EXPECT_NEAR(sink.Value(2, 0), 4.905, 1e-9);
    EXPECT_EQ(sink.Value(2, 5), 0);

    const QByteArray text = folder.Read(QFileInfo(path).fileName());
    EXPECT_TRUE(text.contains("\r\n#line #event 2026-01-01T00:00:00.000 stop\r\n"));
    EXPECT_TRUE(text.contains(" motor 128\r\n"));
    EXPECT_FALSE(text.contains("ax:1\tay:2"));
    EXPECT_TRUE(JournalIsSettled(path));
}

TEST(RecordJournal, ACrashedJournalIsFoundRestoredWithoutItsHalfLineAndOfferedOnce) {
    TempFolder folder;
    QString path;
    {
        auto journal = WriteJournal(folder);
        ASSERT_TRUE(journal);
        path = journal->Path();
        // Flushed within a second, without Close.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(path).size() > 1000; }, 10000));
    }  // the journal ends without its stop line, as a killed program's does
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(SampleLine(99).left(40));
    file.close();
    folder.Write(
        QStringLiteral("2026-01-01_00-00-00.mvrec"),
        JournalHeaderText(Header()) + JournalEventLine({}, QStringLiteral("stop"), QString()));

    EXPECT_EQ(FindCrashedJournal(folder.Root()), path);
    tVectorRecord sink;
    tRecordInfo info;
    ASSERT_FALSE(ReadRecordFile(path, sink, info));
    EXPECT_FALSE(info.stopped);
    EXPECT_TRUE(info.cutTail);
    EXPECT_EQ(sink.Count(), 20);

    ASSERT_TRUE(MarkJournalAnswered(path, false));
    EXPECT_EQ(FindCrashedJournal(folder.Root()), QString());
    tVectorRecord again;
    ASSERT_FALSE(ReadRecordFile(path, again, info));
    EXPECT_FALSE(info.cutTail);
    EXPECT_EQ(again.Count(), 20);
}

TEST(RecordJournal, AFailedWriteStopsTheJournalAndSaysWhy) {
    TempFolder folder;
    auto journal = WriteJournal(folder);
    ASSERT_TRUE(journal);
    ASSERT_TRUE(QTest::qWaitFor([&] { return journal->BytesWritten() > 1000; }, 10000));
    // A file size limit fails the writes as a full disk does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = rlim_t(journal->BytesWritten());
    setrlimit(RLIMIT_FSIZE, &small);
    const QByteArray chunk = Chunks()[0];
    journal->AppendLines(chunk.data(), chunk.size());
    const bool failed = QTest::qWaitFor([&] { return journal->Failed(); }, 10000);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    ASSERT_TRUE(failed);
    EXPECT_TRUE(journal->Error().contains(journal->Path())) << journal->Error().toStdString();
    const qint64 written = journal->BytesWritten();
    journal->AppendLines(chunk.data(), chunk.size());
    journal->Close();
    EXPECT_EQ(journal->BytesWritten(), written);
}

TEST(RecordJournal, KeepsTheNewestJournalsAndNeverTheCurrentOne) {
    TempFolder folder;
    for (const char* name : {"2026-01-03_00-00-00", "2026-01-01_00-00-00", "2026-01-02_00-00-00",
                             "2026-01-02_00-00-00_2"})
        folder.Write(QLatin1String(name) + QLatin1String(kJournalExtension), "#mvrec 1\r\n");
    folder.Write(QStringLiteral("notes.txt"), "x");
    PruneJournals(folder.Root(), 2, folder.Path(QStringLiteral("2026-01-01_00-00-00.mvrec")));
    const QStringList left = JournalsOf(folder.Root());
    ASSERT_EQ(left.size(), 2);
    EXPECT_TRUE(left[0].endsWith(QStringLiteral("2026-01-01_00-00-00.mvrec")));
    EXPECT_TRUE(left[1].endsWith(QStringLiteral("2026-01-03_00-00-00.mvrec")));
    PruneJournals(folder.Root(), 0, QString());
    EXPECT_EQ(JournalsOf(folder.Root()).size(), 2);
}

TEST(RecordReader, ReadsExportedFilesWithEitherDecimalSeparator) {
    // cp1251: "ф" is 0xF4.
    const QByteArray file = "t\tax\t\xF4x\r\n-0,500\t1,25\t-3,00\r\n0.000\t2.50\t90.00\r\n";
    tVectorRecord sink;
    tRecordInfo info;
    ASSERT_FALSE(Read(file, info, sink));
    EXPECT_EQ(info.kind, tRecordInfo::Export);
    EXPECT_EQ(info.channels, std::bitset<kChannelCount>("001000001"));
    ASSERT_EQ(sink.Count(), 2);
    EXPECT_DOUBLE_EQ(sink.Time(0), -0.5);
    EXPECT_DOUBLE_EQ(sink.Value(0, 0), 1.25);
    EXPECT_DOUBLE_EQ(sink.Value(6, 1), 90.0);
    EXPECT_EQ(sink.Value(3, 1), 0);
    // A file that lost its CRs in an editor is still one line per row.
    ASSERT_FALSE(Read(QByteArray(file).replace("\r", ""), info, sink));
}

TEST(RecordReader, RefusesBadInputNamingTheLine) {
    const QByteArray header = "t\tax\tay\taz\twx\twy\twz\tfx\tfy\tfz\r\n";
    const QByteArray row = "0,000\t1,00\t2,00\t3,00\t4,00\t5,00\t6,00\t7,00\t8,00\t9,00\r\n";
    const QByteArray journal = JournalHeaderText(Header()) + SampleLine(1) + "\r\n";
    struct Case {
        const char* what;
        QByteArray bytes;
        tRecordError::Kind kind;
        qint64 line;
    };
    const Case cases[] = {
        {"truncated stopped journal",
         journal + JournalEventLine({}, QStringLiteral("stop"), QString()) + SampleLine(2).left(30),
         tRecordError::Truncated, 13},
        {"newer journal", "#mvrec 2\r\n" + SampleLine(1) + "\r\n", tRecordError::WrongHeader, 1},
        {"binary row", header + row + QByteArray("\0\0\x01\x02\r\n", 6), tRecordError::Binary, 3},
        {"long journal line", journal + QByteArray(100000, 'a') + "\r\n", tRecordError::LineTooLong,
         12},
        {"bad number", header + row + QByteArray(row).replace("5,00", "5;00"),
         tRecordError::BadValue, 3},
        {"missing column", header + QByteArray(row).replace("\t9,00", ""), tRecordError::BadValue,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        tVectorRecord sink;
        tRecordInfo info;
        const tRecordError error = Read(c.bytes, info, sink);
        EXPECT_EQ(error.kind, c.kind);
        EXPECT_EQ(error.line, c.line);
    }
    tVectorRecord sink;
    tRecordInfo info;
    EXPECT_EQ(Read(header + row, info, sink, {50, 4096}).kind, tRecordError::TooLarge);
    const QString message =
        RecordErrorMessage(QStringLiteral("/data/a.csv"), {tRecordError::Truncated, 7, QString()});
    EXPECT_TRUE(message.contains(QStringLiteral("/data/a.csv")));
    EXPECT_TRUE(message.contains(QStringLiteral("7")));
}
