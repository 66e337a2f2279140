#pragma once

#include <QByteArray>
#include <mutex>

#include "device/packet.h"
#include "device/thread_base.h"

class tSerialPort;
class tStreamCutter;

// The thread that reads the measurement stream. It writes the start request, then reads blocks
// with a 100 ms time-out, cuts each after its last line end and queues it as a tPacket; between
// two reads it writes the one posted command. It has the port to itself while it runs and never
// closes it. Starts running at construction.
class tMeasureThread final : public tThread {
public:
    explicit tMeasureThread(tSerialPort* port);
    ~tMeasureThread() override;

    // The command waiting to be written becomes `command`; one still waiting is replaced.
    void PostCommand(const QByteArray& command);
    // Moves every queued chunk, oldest first, to the end of `queue`; returns queue.size().
    int TakePackets(tPacketQueue& queue);
    // The count of chunks queued and not yet taken.
    int QueuedPackets() const;

protected:
    void Execute() override;

private:
    bool WriteStartRequest();
    void WritePostedCommand();
    void ReadPass(tStreamCutter& cutter);
    QByteArray TakeCommand();

    tSerialPort* port_;
    mutable std::mutex queueLock_;
    tPacketQueue queue_;
    std::mutex commandLock_;
    QByteArray command_;
};
