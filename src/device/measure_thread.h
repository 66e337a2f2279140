#pragma once

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <mutex>

#include "device/packet.h"
#include "device/thread_base.h"

class tSerialPort;
class tStreamCutter;

// The thread that reads the measurement stream. It writes the start request, then reads blocks
// with a 100 ms time-out, cuts each after its last line end and queues it as a tPacket; between
// two reads it writes the one posted command. It has the port to itself while it runs and never
// closes it. Starts running at construction.
//
// It ends by itself when the ball is gone: the port hung up or failed as a vanished device
// does, or no byte came for the lost time-out. Asked to end, it reads once more what the port
// already holds, so that a stop keeps the lines that came before it.
class tMeasureThread final : public tThread {
public:
    // lostTimeoutMs: the silence after which the ball counts as gone; 0 or less: never.
    explicit tMeasureThread(tSerialPort* port, int lostTimeoutMs = 0);
    ~tMeasureThread() override;

    // The command waiting to be written becomes `command`; one still waiting is replaced.
    void PostCommand(const QByteArray& command);
    // Moves every queued chunk, oldest first, to the end of `queue`; returns queue.size().
    int TakePackets(tPacketQueue& queue);
    // The count of chunks queued and not yet taken.
    int QueuedPackets() const;

    // True once the ball was found gone; the thread has then ended its reading.
    bool LinkLost() const { return linkLost_.load(std::memory_order_acquire); }
    // What showed the loss, for the log; "" before one.
    QByteArray LossReason() const { return LinkLost() ? lossReason_ : QByteArray(); }
    // Line ends read so far.
    long long LinesRead() const { return linesRead_.load(std::memory_order_relaxed); }

protected:
    void Execute() override;

private:
    bool WriteStartRequest();
    void WritePostedCommand();
    bool ReadPass(tStreamCutter& cutter);
    bool CheckLink(bool ok, int received);
    QByteArray TakeCommand();

    tSerialPort* port_;
    mutable std::mutex queueLock_;
    tPacketQueue queue_;
    std::mutex commandLock_;
    QByteArray command_;
    int lostTimeoutMs_;
    std::chrono::steady_clock::time_point lastByte_;
    QByteArray lossReason_;  // written once, before linkLost_ is set
    std::atomic<bool> linkLost_{false};
    std::atomic<long long> linesRead_{0};
};
