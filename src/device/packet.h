#pragma once

#include <deque>
#include <memory>

// One received chunk of the measurement stream: an owned block of kChunkSize bytes, of which
// the first `length` are meaningful and end with a line end. Move-only: handing a chunk on moves
// the block pointer, never the bytes.
struct tPacket {
    static constexpr int kChunkSize = 2419;

    std::unique_ptr<char[]> data;
    int length = 0;
    // When the chunk was read: the host's monotonic clock in seconds (SteadySeconds, app/steady_clock.h).
    double arrival = 0;

    const char* Data() const { return data.get(); }
    int Length() const { return length; }
};

// The FIFO queue that chunks are taken into.
using tPacketQueue = std::deque<tPacket>;
