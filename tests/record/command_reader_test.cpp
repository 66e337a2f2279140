// The reader of the recorder's commands on standard input, and its options.
#include "record/command_reader.h"

#include <gtest/gtest.h>

#include "record/host_time_map.h"
#include "record/record_options.h"

namespace {
std::vector<tRecordCommand> FeedAll(tCommandReader& reader, const QByteArray& bytes, int piece) {
    std::vector<tRecordCommand> all;
    for (int at = 0; at < bytes.size(); at += piece) {
        const QByteArray part = bytes.mid(at, piece);
        for (auto& c : reader.Feed(part.constData(), part.size())) all.push_back(c);
    }
    return all;
}

TEST(RecordCommands, LinesInAnyPiecesGiveTheSameCommands) {
    const QByteArray input = "mark  Stimulus A \r\npause\n\n  \nresume\nstop\nmark\nmark Ünïcode\n";
    for (const int piece : {1, 3, 1000}) {
        tCommandReader reader;
        const auto commands = FeedAll(reader, input, piece);
        ASSERT_EQ(commands.size(), 6u) << piece;
        EXPECT_EQ(commands[0].kind, tRecordCommand::Mark);
        EXPECT_EQ(commands[0].text, QStringLiteral("Stimulus A"));
        EXPECT_EQ(commands[1].kind, tRecordCommand::Pause);
        EXPECT_EQ(commands[2].kind, tRecordCommand::Resume);
        EXPECT_EQ(commands[3].kind, tRecordCommand::Stop);
        EXPECT_EQ(commands[4].kind, tRecordCommand::Mark);
        EXPECT_TRUE(commands[4].text.isEmpty());
        EXPECT_EQ(commands[5].text, QStringLiteral("Ünïcode"));
    }
}

TEST(RecordCommands, BadLinesAreRefusedAndChangeNothing) {
    for (const QByteArray& line : {QByteArray("Stop"), QByteArray("pause now"), QByteArray("jump"),
                                  QByteArray("mark \xff\xfe"), QByteArray("mark a\x1b[2J")}) {
        bool none = true;
        const tRecordCommand c = ParseRecordCommand(line, &none);
        EXPECT_FALSE(none);
        EXPECT_EQ(c.kind, tRecordCommand::Invalid) << line.constData();
        EXPECT_FALSE(c.text.isEmpty());
    }
}

TEST(RecordCommands, AnOverlongLineIsRefusedOnceAndTheNextOneCounts) {
    tCommandReader reader;
    QByteArray input = "mark " + QByteArray(5000, 'x') + "\nstop\n";
    const auto commands = FeedAll(reader, input, 700);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, tRecordCommand::Invalid);
    EXPECT_EQ(commands[1].kind, tRecordCommand::Stop);
    // Exactly at the limit it is taken.
    const QByteArray longest = "mark " + QByteArray(kMaxCommandLine - 5, 'y') + "\r\n";
    const auto taken = reader.Feed(longest.constData(), longest.size());
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_EQ(taken[0].kind, tRecordCommand::Mark);
}

TEST(RecordCommands, EndOfInputTakesALastLineWithoutItsEnd) {
    tCommandReader reader;
    EXPECT_TRUE(reader.Feed("mark end", 8).empty());
    const auto last = reader.Finish();
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0].text, QStringLiteral("end"));
    EXPECT_TRUE(reader.Finish().empty());
}

TEST(RecordOptions, BadOptionsAndValuesAreUsageErrors) {
    const QList<QStringList> bad = {
        {"--duration", "0"},    {"--duration", "x"},   {"--lines", "-3"},   {"--lines"},
        {"--format", "xls"},    {"--name", "a/b"},     {"--subject", "a_b"}, {"--bogus"},
        {"stray"},              {"--all", "--port", "/dev/ttyUSB0"},         {"--port", "p", "--port", "p"},
        {"--quiet=1"}};
    for (const QStringList& arguments : bad) {
        tRecordOptions options;
        const tRecordParse parsed = ParseRecordOptions(arguments, options);
        EXPECT_EQ(parsed.result, tRecordParse::Error) << arguments.join(' ').toStdString();
        EXPECT_FALSE(parsed.error.contains(u'\n'));
    }
    tRecordOptions options;
    const tRecordParse parsed = ParseRecordOptions(
        {"--port=/dev/a", "--port", "/dev/b", "--duration", "2.5", "--format=bids", "--quiet"}, options);
    ASSERT_EQ(parsed.result, tRecordParse::Run) << parsed.error.toStdString();
    EXPECT_EQ(options.ports, QStringList({"/dev/a", "/dev/b"}));
    EXPECT_DOUBLE_EQ(options.duration, 2.5);
    EXPECT_EQ(options.format, tRecordOptions::Bids);
    EXPECT_TRUE(options.quiet);
}

TEST(HostTimeMap, FollowsTheFittedPointsAndARestartOfTheBallsClock) {
    // A ball 100 ppm fast from 500 s on; after sample 300 its clock starts again at 1 s.
    tHostTimeMap map({{500.0, 10.0, 0}, {501.0001, 11.0, 100}, {502.0002, 12.0, 200},
                      {1.0, 13.5, 300}, {2.0001, 14.5, 400}});
    EXPECT_NEAR(map.At(0, 500.0), 10.0, 1e-9);
    EXPECT_NEAR(map.At(150, 501.50015), 11.5, 1e-9);
    EXPECT_NEAR(map.At(250, 502.50025), 12.5, 1e-6);  // beyond the run's last point
    EXPECT_NEAR(map.At(301, 1.01), 13.51, 1e-6);      // the new run
    EXPECT_NEAR(map.At(450, 2.50015), 15.0, 1e-6);
    EXPECT_NEAR(map.At(0, 500.0), 10.0, 1e-9);        // asked again from the start
}
}  // namespace
