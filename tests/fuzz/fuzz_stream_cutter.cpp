// Feeds arbitrary bytes, in reads of arbitrary sizes, through the stream's cutting and carry:
// every chunk must end with a line end and fit the block, the carry must fit its area, and no
// byte may appear or vanish except the ones reported as dropped.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "device/stream_cutter.h"

namespace {
void Check(bool condition) {
    if (!condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tStreamCutter cutter;
    std::unique_ptr<char[]> block(new char[tStreamCutter::kChunkSize]);
    size_t at = 0;
    long long fed = 0;
    long long kept = 0;
    long long dropped = 0;
    while (at + 2 <= size) {
        // Two bytes choose the size of the next read, the bytes after them are its data.
        const int wanted = (data[at] << 8 | data[at + 1]) % (cutter.Room() + 1);
        at += 2;
        const int received = static_cast<int>(std::min<size_t>(static_cast<size_t>(wanted), size - at));
        std::memset(block.get(), 0, tStreamCutter::kChunkSize);
        const int carried = cutter.Prepare(block.get());
        Check(carried + received <= tStreamCutter::kChunkSize);
        std::memcpy(block.get() + carried, data + at, static_cast<size_t>(received));
        at += static_cast<size_t>(received);
        fed += received;

        const tStreamCutter::tCut cut = cutter.Cut(block.get(), received);
        Check(cut.length >= 0 && cut.length <= tStreamCutter::kChunkSize);
        Check(cut.length == 0 || block[cut.length - 1] == '\n');
        Check(cut.dropped >= 0);
        Check(cutter.CarryCount() >= 0 && cutter.CarryCount() <= tStreamCutter::kCarrySize);
        Check(!cut.carried || cutter.CarryCount() > 0);
        Check(std::memchr(cutter.Carry().constData(), '\n', static_cast<size_t>(cutter.CarryCount())) == nullptr);
        kept += cut.length;
        dropped += cut.dropped;
        Check(kept + dropped + cutter.CarryCount() == fed);
    }
    return 0;
}
