#include "device/stream_cutter.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <memory>

namespace {
// Runs one block through the cutter the way the stream thread does.
struct Block {
    std::unique_ptr<char[]> bytes{new char[tStreamCutter::kChunkSize]()};
    tStreamCutter::tCut cut;

    Block(tStreamCutter& cutter, const QByteArray& received) {
        const int carried = cutter.Prepare(bytes.get());
        EXPECT_LE(received.size(), cutter.Room());
        memcpy(bytes.get() + carried, received.constData(), static_cast<size_t>(received.size()));
        cut = cutter.Cut(bytes.get(), static_cast<int>(received.size()));
    }
    QByteArray Data() const { return QByteArray(bytes.get(), cut.length); }
};
}  // namespace

TEST(StreamCutter, DropsATailLongerThanTheCarryAreaAndTheRestOfItsLine) {
    tStreamCutter cutter;
    Block first(cutter, "ok:1\r\n" + QByteArray(tStreamCutter::kCarrySize + 1, 'x'));
    EXPECT_EQ(first.Data(), "ok:1\r\n");
    EXPECT_EQ(first.cut.dropped, tStreamCutter::kCarrySize + 1);
    EXPECT_FALSE(first.cut.carried);
    EXPECT_EQ(cutter.CarryCount(), 0);

    // Still the same line: it goes too, up to and with its line end.
    Block middle(cutter, QByteArray(2000, 'y'));
    EXPECT_EQ(middle.cut.length, 0);
    EXPECT_EQ(middle.cut.dropped, 2000);

    Block last(cutter, "yyy\r\nok:2\r\nok:");
    EXPECT_EQ(last.Data(), "ok:2\r\n");
    EXPECT_EQ(last.cut.dropped, 5);
    EXPECT_EQ(cutter.Carry(), "ok:");
}

TEST(StreamCutter, KeepsATailOfExactlyTheCarryArea) {
    tStreamCutter cutter;
    const QByteArray tail(tStreamCutter::kCarrySize, 'z');
    Block first(cutter, "\n" + tail);
    EXPECT_EQ(first.cut.dropped, 0);
    EXPECT_EQ(cutter.Carry(), tail);
    Block full(cutter, QByteArray(cutter.Room() - 1, 'z') + "\n");
    EXPECT_EQ(full.cut.length, tStreamCutter::kChunkSize);
}
