#include "ball_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr char kIdReply[] = "Tamvisk KIVRA\r\n";
constexpr double kLineBytesPerSecond = 115200.0 / 10.0;
constexpr int kTickMs = 10;
constexpr size_t kLowWater = 256;  // stream bytes kept ready beyond what the line may carry

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

int NumberAfter(const std::string& text, size_t at) {
    return std::atoi(text.c_str() + std::min(at, text.size()));
}
}  // namespace

tBallPeer::tBallPeer(const tBallOptions& options, tPtyLink& link)
    : options_(options),
      link_(link),
      model_(options.seed, options.battery),
      start_(Clock::now()),
      lastSend_(start_),
      idleSince_(start_),
      bytesPerSecond_(kLineBytesPerSecond * options.speed),
      lateLeft_(options.lateCount) {
    if (!options.record.empty())
        recordFd_ = ::open(options.record.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    // The lines' own count starts at the offset too.
    if (options.clockOffset > 0) model_.RestartClock(options.clockOffset + tBallModel::kSampleMs);
    if (!options.sendLog.empty())
        sendLogFd_ = ::open(options.sendLog.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

long long tBallPeer::DeviceTimeMs() const { return DeviceTimeAt(Clock::now()); }

// The ball's clock: its start value and offset, counting on at its own rate.
long long tBallPeer::DeviceTimeAt(Clock::time_point at) const {
    const double ms = std::chrono::duration<double, std::milli>(at - start_).count();
    const double rate = options_.hostClock ? 1.0 + options_.driftPpm * 1e-6 : 1.0;
    return options_.deviceTime + options_.clockOffset + std::llround(ms * rate);
}

// --host-clock: a line at every 10 ms of the host's monotonic clock, stamped with the ball's
// clock at that instant; they go out at once, the line carries them easily.
void tBallPeer::SendOnHostClock() {
    const auto now = Clock::now();
    if (nextDue_ == Clock::time_point{}) {
        const auto tick = std::chrono::milliseconds(tBallModel::kSampleMs);
        nextDue_ = Clock::time_point((now.time_since_epoch() / tick + 1) * tick);
    }
    while (streaming_ && nextDue_ <= now) {
        model_.RestartClock(DeviceTimeAt(nextDue_));
        const long long sent = linesSent_;
        FillStream(output_.size() + 1);
        if (linesSent_ > sent) unlogged_.push_back(model_.TimeMs());
        nextDue_ += std::chrono::milliseconds(tBallModel::kSampleMs);
    }
    if (output_.empty() || unplugged_) return;
    const ssize_t n = ::write(link_.Master(), output_.data(), output_.size());
    if (n > 0) output_.erase(0, static_cast<size_t>(n));
    if (output_.empty()) LogSent();
}

void tBallPeer::LogSent() {
    if (sendLogFd_ < 0 || unlogged_.empty()) {
        unlogged_.clear();
        return;
    }
    const double host = std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
    std::string text;
    char line[64];
    for (const long long ms : unlogged_) {
        std::snprintf(line, sizeof line, "%lld\t%.6f\n", ms, host);
        text += line;
    }
    unlogged_.clear();
    (void)!::write(sendLogFd_, text.data(), text.size());
}

void tBallPeer::Record(const char* data, size_t count) {
    if (recordFd_ >= 0) (void)!::write(recordFd_, data, count);
}

void tBallPeer::Run(const volatile std::sig_atomic_t& stop) {
    while (!stop) {
        if (unplugged_) {
            const bool replugDue = options_.replugAfterMs >= 0 && !replugged_;
            ::poll(nullptr, 0, replugDue ? 10 : 100);
            ReplugWhenDue();
            continue;
        }
        pollfd p{link_.Master(), POLLIN, 0};
        const int ready = ::poll(&p, 1, PollTimeoutMs());
        if (ready > 0 && (p.revents & POLLIN)) ReadRequests();
        const auto now = Clock::now();
        while (!delayed_.empty() && delayed_.front().due <= now) {
            output_ += delayed_.front().bytes;
            delayed_.pop_front();
        }
        if (options_.hostClock) SendOnHostClock();
        else SendPaced();
    }
}

int tBallPeer::PollTimeoutMs() const {
    if (options_.hostClock && streaming_ && output_.empty()) {
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(nextDue_ - Clock::now()).count();
        return static_cast<int>(std::max<long long>(0, std::min<long long>((wait + 999) / 1000, kTickMs)));
    }
    if (!output_.empty() || streaming_) return kTickMs;
    if (!delayed_.empty()) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                              delayed_.front().due - Clock::now())
                              .count();
        return static_cast<int>(std::max<long long>(0, std::min<long long>(wait, 100)));
    }
    return 100;
}

void tBallPeer::ReadRequests() {
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(link_.Master(), buffer, sizeof buffer);
        if (n <= 0) break;
        Record(buffer, static_cast<size_t>(n));
        input_.append(buffer, static_cast<size_t>(n));
    }
    for (size_t end = input_.find('\n'); end != std::string::npos; end = input_.find('\n')) {
        std::string request = input_.substr(0, end);
        input_.erase(0, end + 1);
        if (!request.empty() && request.back() == '\r') request.pop_back();
        Handle(request);
    }
    if (input_.size() > 4096) input_.clear();  // noise without line ends
}

std::string tBallPeer::ValueReply(long long value) const {
    char text[32];
    std::snprintf(text, sizeof text, "%8lld\r\n", value);
    if (std::string(text).size() == 10) return text;
    // Too long for a blank and a line end: ten digits alone still make a 10-byte reply.
    std::snprintf(text, sizeof text, "%010lld", std::min(value, 9999999999LL));
    return text;
}

void tBallPeer::Handle(const std::string& request) {
    if (request == "I") {
        std::string id = kIdReply;
        if (options_.idWrong) id[12] = 'a';
        if (options_.idShort) id.pop_back();
        Reply(request, id);
    } else if (request == "?") {
        Reply(request, ValueReply(DeviceTimeMs()));
    } else if (request == "B") {
        Reply(request, ValueReply(model_.Battery()));
    } else if (StartsWith(request, "P A0:")) {
        Reply(request, ValueReply(model_.SetAccRange(NumberAfter(request, 5))));
    } else if (StartsWith(request, "P G0:")) {
        Reply(request, ValueReply(model_.SetGyroRange(NumberAfter(request, 5))));
    } else if (StartsWith(request, "P M1:")) {
        const size_t star = request.find('*');
        model_.SetMotor(NumberAfter(request, 5), star == std::string::npos ? 0 : NumberAfter(request, star + 1));
    } else if (request == "S") {
        StartStream();
    } else if (request == "T") {
        StopStream();
    } else if (request == "C") {
        model_.Calibrate();
    } else if (request == "O") {
        model_.CalibrateAcc();
    }
}

void tBallPeer::Reply(const std::string& request, const std::string& bytes) {
    const auto own = options_.replies.find(request);
    const std::string& reply = own == options_.replies.end() ? bytes : own->second;
    if (options_.lateMs > 0 && lateLeft_ != 0) {
        if (lateLeft_ > 0) --lateLeft_;
        delayed_.push_back({Clock::now() + std::chrono::milliseconds(options_.lateMs), reply});
        return;
    }
    output_ += reply;
}

void tBallPeer::Unplug() {
    std::fprintf(stderr, "ballsim: unplugged after %lld lines\n", linesSent_);
    link_.Close();
    unplugged_ = true;
    unpluggedAt_ = Clock::now();
    streaming_ = false;
    output_.clear();
    input_.clear();
    delayed_.clear();
}

// A hang-up discards what the program has not read yet, so a cable pulled after a line would
// lose a line that a real port had delivered. The queue must stay empty for one tick, since the
// kernel moves written bytes into it a moment later; two seconds bound the wait for a program
// that does not read.
bool tBallPeer::Drained() {
    const auto now = Clock::now();
    if (drainSince_ == Clock::time_point{}) drainSince_ = now;
    if (now - drainSince_ > std::chrono::seconds(2)) return true;
    if (link_.Unread() > 0) {
        drainEmptySince_ = Clock::time_point{};
        return false;
    }
    if (drainEmptySince_ == Clock::time_point{}) drainEmptySince_ = now;
    return now - drainEmptySince_ >= std::chrono::milliseconds(kTickMs);
}

void tBallPeer::ReplugWhenDue() {
    if (options_.replugAfterMs < 0 || replugged_) return;
    const auto away = Clock::now() - unpluggedAt_;
    if (away < std::chrono::milliseconds(options_.replugAfterMs)) return;
    replugged_ = true;
    if (!link_.Open(options_.link)) return;  // stays unplugged; the failure is on stderr
    if (options_.replugTimeMs >= 0) {
        model_.RestartClock(options_.replugTimeMs);
    } else {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(away).count();
        model_.Idle(static_cast<long long>(ms * options_.speed));
    }
    idleSince_ = Clock::now();
    unplugged_ = false;
    std::fprintf(stderr, "ballsim: replugged on %s\n", link_.SlavePath().c_str());
}

void tBallPeer::StartStream() {
    if (streaming_) return;
    const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - idleSince_);
    model_.Idle(static_cast<long long>(idle.count() * options_.speed));
    streaming_ = true;
    nextDue_ = Clock::time_point{};
    streamLines_ = 0;
    dropped_ = 0;
}

void tBallPeer::StopStream() {
    if (!streaming_) return;
    streaming_ = false;
    idleSince_ = Clock::now();
    std::fprintf(stderr, "ballsim: stream stopped after %lld lines\n", streamLines_);
    if (dropped_ > 0) std::fprintf(stderr, "ballsim: dropped %lld lines\n", dropped_);
}

std::string tBallPeer::NextStreamItem() {
    const long long n = streamLines_;
    std::string item;
    if (n == options_.noLineEndAfter) item.assign(static_cast<size_t>(options_.noLineEndBytes), 'x');
    if (n == options_.nulAfter) item.append(static_cast<size_t>(options_.nulBytes), '\0');
    std::string line = model_.NextLine();
    if (options_.garbageEvery > 0 && (n + 1) % options_.garbageEvery == 0)
        line = "#%&garbage " + std::to_string(n) + " ~~ax:??\r\n";
    return item + line;
}

void tBallPeer::FillStream(size_t target) {
    while (streaming_ && output_.size() < target) {
        if (options_.unplugAfter >= 0 && linesSent_ >= options_.unplugAfter && !replugged_) {
            // Sent what came before the unplug and let it be read, then the terminal goes away.
            if (output_.empty() && Drained()) Unplug();
            return;
        }
        if (options_.streamLines >= 0 && streamLines_ >= options_.streamLines) {
            StopStream();
            return;
        }
        if (options_.restartAfter >= 0 && linesMade_ == options_.restartAfter && !restarted_) {
            restarted_ = true;
            model_.RestartClock(1000);
            std::fprintf(stderr, "ballsim: clock restarted after %lld lines\n", linesMade_);
        }
        const std::string item = NextStreamItem();
        ++streamLines_;
        ++linesMade_;
        if (options_.dropEvery > 0 && linesMade_ % options_.dropEvery == 0) {
            ++dropped_;
            continue;
        }
        output_ += item;
        ++linesSent_;
    }
}

void tBallPeer::SendPaced() {
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - lastSend_).count();
    lastSend_ = now;
    // What the line could not carry while nothing waited is not saved up beyond one tick.
    const double cap = std::max(64.0, bytesPerSecond_ * 2 * kTickMs / 1000.0);
    budget_ = std::min(cap, budget_ + elapsed * bytesPerSecond_);
    if (streaming_) FillStream(static_cast<size_t>(budget_) + kLowWater);
    if (output_.empty() || unplugged_) return;
    const size_t allowed = std::min(output_.size(), static_cast<size_t>(budget_));
    if (allowed == 0) return;
    const ssize_t n = ::write(link_.Master(), output_.data(), allowed);
    if (n <= 0) return;
    budget_ -= static_cast<double>(n);
    output_.erase(0, static_cast<size_t>(n));
}
