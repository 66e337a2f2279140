#include "device/measure_thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "app/log_file.h"
#include "app/steady_clock.h"
#include "device/log_text.h"
#include "device/serial_port.h"
#include "device/stream_cutter.h"

namespace {
constexpr int kReadPeriodMs = 100;

// Best effort: the stream thread on the first processor, a little ahead of the others.
// Neither failure matters.
void RaiseAndBindCurrentThread() {
    const auto tid = static_cast<id_t>(::syscall(SYS_gettid));
    cpu_set_t cpus;
    CPU_ZERO(&cpus);
    CPU_SET(0, &cpus);
    (void)pthread_setaffinity_np(pthread_self(), sizeof cpus, &cpus);
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, tid);
    if (errno == 0) (void)setpriority(PRIO_PROCESS, tid, nice - 5);
}

QByteArray FooterEntry(const tStreamCutter& cutter) {
    const QByteArray carry = cutter.Carry();
    return "_footer_size=" + QByteArray::number(carry.size()) + "\r\n" +
           HexBytes(carry.constData(), static_cast<int>(carry.size()), "") + "\r\n";
}
}  // namespace

tMeasureThread::tMeasureThread(tSerialPort* port, int lostTimeoutMs)
    : port_(port), lostTimeoutMs_(lostTimeoutMs), lastByte_(std::chrono::steady_clock::now()) {
    Start();
}

tMeasureThread::~tMeasureThread() {
    EndThread();
    std::lock_guard<std::mutex> guard(queueLock_);
    queue_.clear();
}

void tMeasureThread::PostCommand(const QByteArray& command) {
    std::lock_guard<std::mutex> guard(commandLock_);
    command_ = command;
}

int tMeasureThread::TakePackets(tPacketQueue& queue) {
    std::lock_guard<std::mutex> guard(queueLock_);
    for (tPacket& packet : queue_) queue.push_back(std::move(packet));
    queue_.clear();
    return static_cast<int>(queue.size());
}

int tMeasureThread::QueuedPackets() const {
    std::lock_guard<std::mutex> guard(queueLock_);
    return static_cast<int>(queue_.size());
}

QByteArray tMeasureThread::TakeCommand() {
    std::lock_guard<std::mutex> guard(commandLock_);
    QByteArray command;
    command.swap(command_);
    return command;
}

void tMeasureThread::Execute() {
    RaiseAndBindCurrentThread();
    if (!WriteStartRequest()) return;
    tSerialPort::tTimeouts timeouts = port_->GetTimeouts();
    if (timeouts.ReadTotalMs != kReadPeriodMs) {
        timeouts.ReadTotalMs = kReadPeriodMs;
        port_->SetTimeouts(timeouts);
    }
    tStreamCutter cutter;
    lastByte_ = std::chrono::steady_clock::now();
    while (!Terminated()) {
        WritePostedCommand();
        if (!ReadPass(cutter)) return;
    }
    // What the port holds at the stop request came before it: one more read without waiting.
    timeouts.ReadTotalMs = 0;
    port_->SetTimeouts(timeouts);
    ReadPass(cutter);
}

bool tMeasureThread::CheckLink(bool ok, int received) {
    const auto now = std::chrono::steady_clock::now();
    if (received > 0) lastByte_ = now;
    QByteArray reason;
    if (Terminated()) return true;  // a stop, not a loss
    if (!ok) {
        const int error = port_->LastError();
        if (error == EIO || error == ENXIO || error == ENODEV)
            reason = "port failed: " + port_->LastErrorText().toUtf8();
    }
    if (reason.isEmpty() && lostTimeoutMs_ > 0 &&
        now - lastByte_ >= std::chrono::milliseconds(lostTimeoutMs_))
        reason = "no byte for " + QByteArray::number(lostTimeoutMs_) + " ms";
    if (reason.isEmpty()) return true;
    // The window logs the loss once; the thread reads no more, so nothing repeats it.
    lossReason_ = reason;
    linkLost_.store(true, std::memory_order_release);
    return false;
}

bool tMeasureThread::WriteStartRequest() {
    int written = 0;
    if (!port_->Write("S\r\n", 3, &written)) {
        LogFile->Write("START FAILED");
        return false;
    }
    if (written < 3) {
        LogFile->Write("START COMMAND ERROR");
        return false;
    }
    LogFile->Write("START COMMAND WRITTEN");
    return true;
}

void tMeasureThread::WritePostedCommand() {
    const QByteArray command = TakeCommand();
    if (command.isEmpty()) return;
    LogFile->Write("WRITING: " + command);
    int written = 0;
    if (!port_->Write(command.constData(), static_cast<int>(command.size()), &written))
        LogFile->Write("COMMAND FAILED");
    else if (written < command.size())
        LogFile->Write("COMMAND SEND ERROR");
    else
        LogFile->Write("COMMAND WRITTEN");
}

bool tMeasureThread::ReadPass(tStreamCutter& cutter) {
    const auto passStart = std::chrono::steady_clock::now();
    tPacket packet;
    packet.data.reset(new char[tPacket::kChunkSize]());
    const int carried = cutter.Prepare(packet.data.get());
    int received = 0;
    const bool ok = port_->Read(packet.data.get() + carried, cutter.Room(), &received);
    if (!ok)
        LogFile->Write("ReadTimeout");
    else if (LogFile->IsOpen())
        LogFile->Write("Readed " + QByteArray::number(received) + " bytes");

    const tStreamCutter::tCut cut = cutter.Cut(packet.data.get(), received);
    if (cut.dropped > 0)
        LogFile->Write("Line longer than " + QByteArray::number(tStreamCutter::kCarrySize) +
                       " bytes, dropped " + QByteArray::number(cut.dropped) + " bytes");
    if (cut.carried && LogMeasureEnabled()) LogFile->Write(FooterEntry(cutter));

    if (cut.length > 0) {
        packet.length = cut.length;
        packet.arrival = SteadySeconds();
        const char* bytes = packet.data.get();
        linesRead_.fetch_add(std::count(bytes, bytes + cut.length, '\n'),
                             std::memory_order_relaxed);
        std::lock_guard<std::mutex> guard(queueLock_);
        queue_.push_back(std::move(packet));
    } else {
        LogFile->Write("Invalid data recv :");
    }

    if (!CheckLink(ok, received)) return false;
    if (!ok) {
        // A port that fails every read at once is waited out for the read period instead of
        // spun on.
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - passStart)
                               .count();
        if (spent < kReadPeriodMs) SleepUnlessTerminated(kReadPeriodMs - static_cast<int>(spent));
    }
    return true;
}
