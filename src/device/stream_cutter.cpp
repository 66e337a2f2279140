#include "device/stream_cutter.h"

#include <cstring>

int tStreamCutter::Prepare(char* block) const {
    std::memcpy(block, carry_, static_cast<size_t>(carryCount_));
    return carryCount_;
}

int tStreamCutter::DropUntilLineEnd(char* block, int total, tCut& cut) {
    const void* end = std::memchr(block, '\n', static_cast<size_t>(total));
    if (!end) {
        cut.dropped += total;
        return 0;
    }
    const int skip = static_cast<int>(static_cast<const char*>(end) - block) + 1;
    cut.dropped += skip;
    resync_ = false;
    std::memmove(block, block + skip, static_cast<size_t>(total - skip));
    return total - skip;
}

tStreamCutter::tCut tStreamCutter::Cut(char* block, int received) {
    tCut cut;
    int total = carryCount_ + received;
    carryCount_ = 0;
    if (resync_) total = DropUntilLineEnd(block, total, cut);
    if (total == 0 || block[total - 1] == '\n') {
        cut.length = total;
        return cut;
    }
    int lineEnd = total - 1;
    while (lineEnd >= 0 && block[lineEnd] != '\n') --lineEnd;
    const int tail = total - (lineEnd + 1);
    if (tail > kCarrySize) {
        // Longer than any sample line: not worth keeping. Its rest, up to the next line end,
        // goes too, so that no fragment reaches the window as a line.
        cut.dropped += tail;
        resync_ = true;
    } else {
        std::memcpy(carry_, block + lineEnd + 1, static_cast<size_t>(tail));
        carryCount_ = tail;
        cut.carried = true;
    }
    cut.length = lineEnd + 1;
    return cut;
}
