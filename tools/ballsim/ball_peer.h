#pragma once

#include <chrono>
#include <csignal>
#include <deque>
#include <string>
#include <vector>

#include "ball_model.h"
#include "ball_options.h"
#include "pty_link.h"

// The ball as a serial peer on a pseudo-terminal: reads the program's requests, answers them,
// streams sample lines at the line's byte rate and plays the faults that the options switch on.
class tBallPeer {
public:
    tBallPeer(const tBallOptions& options, tPtyLink& link);

    // Serves until `stop` becomes non-zero.
    void Run(const volatile std::sig_atomic_t& stop);
    long long LinesSent() const { return linesSent_; }

private:
    using Clock = std::chrono::steady_clock;
    struct tDelayed {
        Clock::time_point due;
        std::string bytes;
    };

    void ReadRequests();
    void Handle(const std::string& request);
    void Reply(const std::string& request, const std::string& bytes);
    std::string ValueReply(long long value) const;
    void StartStream();
    void StopStream();
    void FillStream(size_t target);
    std::string NextStreamItem();
    void SendPaced();
    void Unplug();
    bool Drained();
    void ReplugWhenDue();
    void Record(const char* data, size_t count);
    int PollTimeoutMs() const;
    long long DeviceTimeMs() const;
    long long DeviceTimeAt(Clock::time_point at) const;
    void SendOnHostClock();
    void LogSent();

    const tBallOptions& options_;
    tPtyLink& link_;
    tBallModel model_;
    Clock::time_point start_;
    Clock::time_point lastSend_;
    Clock::time_point idleSince_;
    double budget_ = 0;        // bytes the line may carry now
    double bytesPerSecond_;
    std::string input_;
    std::string output_;       // bytes waiting for the line
    std::deque<tDelayed> delayed_;
    int lateLeft_;
    bool streaming_ = false;
    bool unplugged_ = false;
    bool replugged_ = false;
    bool restarted_ = false;
    Clock::time_point unpluggedAt_;
    Clock::time_point drainSince_{};  // the unplug waits for the program to read the last line
    Clock::time_point drainEmptySince_{};
    long long linesMade_ = 0;    // sample lines made in all streams, dropped ones too
    long long dropped_ = 0;      // lines of the current stream made but not sent
    long long streamLines_ = 0;  // lines of the current stream
    long long linesSent_ = 0;    // sample lines queued in all streams
    int recordFd_ = -1;
    int sendLogFd_ = -1;
    Clock::time_point nextDue_{};        // --host-clock: the next line's instant
    std::vector<long long> unlogged_;    // --send-log: times of lines not fully written yet
};
