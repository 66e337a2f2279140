#include "device/thread_base.h"

#include <pthread.h>
#include <time.h>

#include <chrono>

tThread::~tThread() { EndThread(); }

void tThread::Start() { thread_ = std::thread(&tThread::Run, this); }

void tThread::Run() {
    Execute();
    std::lock_guard<std::mutex> guard(stateLock_);
    finished_ = true;
    stateChanged_.notify_all();
}

void tThread::EndThread() {
    if (!thread_.joinable()) return;
    Terminate();
    WaitFor();
}

void tThread::Terminate() {
    std::lock_guard<std::mutex> guard(stateLock_);
    terminated_.store(true, std::memory_order_release);
    stateChanged_.notify_all();
}

void tThread::WaitFor() {
    if (thread_.joinable()) thread_.join();
}

bool tThread::WaitFor(int ms) {
    {
        std::unique_lock<std::mutex> guard(stateLock_);
        if (!stateChanged_.wait_for(guard, std::chrono::milliseconds(ms),
                                    [this] { return finished_; }))
            return false;
    }
    WaitFor();
    return true;
}

bool tThread::Finished() const {
    std::lock_guard<std::mutex> guard(stateLock_);
    return finished_;
}

bool tThread::SleepUnlessTerminated(int ms) {
    std::unique_lock<std::mutex> guard(stateLock_);
    return !stateChanged_.wait_for(guard, std::chrono::milliseconds(ms),
                                   [this] { return Terminated(); });
}

long long tThread::CpuMicroseconds() const {
    if (!thread_.joinable()) return -1;
    clockid_t clock;
    timespec used;
    if (pthread_getcpuclockid(const_cast<std::thread&>(thread_).native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0)
        return -1;
    return static_cast<long long>(used.tv_sec) * 1000000 + used.tv_nsec / 1000;
}
