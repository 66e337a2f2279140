#pragma once

#include <QByteArray>

#include "device/packet.h"

// The cutting and carry of the measurement stream, apart from the thread that reads it. Every
// block is cut after its last line end; the incomplete line behind it is carried into the next
// block, so that a chunk holds whole lines only. A tail longer than the carry area is dropped
// together with the rest of its line, up to the next line end.
class tStreamCutter {
public:
    static constexpr int kChunkSize = tPacket::kChunkSize;
    static constexpr int kCarrySize = 1280;

    struct tCut {
        int length = 0;        // meaningful bytes left in the block, ending in a line end
        bool carried = false;  // a new carry was made from the block's tail
        int dropped = 0;       // bytes thrown away by this cut (too long a line)
    };

    // Copies the carry to the start of `block` (kChunkSize bytes); returns its count. The read
    // goes behind it, at most Room() bytes.
    int Prepare(char* block) const;
    int Room() const { return kChunkSize - carryCount_; }

    // `block` holds the carry placed by Prepare followed by `received` new bytes.
    tCut Cut(char* block, int received);

    int CarryCount() const { return carryCount_; }
    QByteArray Carry() const { return QByteArray(carry_, carryCount_); }

private:
    int DropUntilLineEnd(char* block, int total, tCut& cut);

    char carry_[kCarrySize] = {};
    int carryCount_ = 0;
    // Set after a drop: the bytes up to the next line end belong to the dropped line.
    bool resync_ = false;
};
