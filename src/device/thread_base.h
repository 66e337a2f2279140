#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

// A thread object with a body, a terminate request that the body polls, and a wait. The body
// runs once; the object is not freed when it ends: its owner waits for it and destroys it.
// A derived class calls Start() at the end of its constructor and EndThread() first in its
// destructor, so that the body never runs on a half-destroyed object.
class tThread {
public:
    virtual ~tThread();
    tThread(const tThread&) = delete;
    tThread& operator=(const tThread&) = delete;

    // Asks the body to end after its current pass.
    void Terminate();
    bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
    // Returns when the body has ended.
    void WaitFor();
    // The same, giving up after `ms` milliseconds; true when the body has ended.
    bool WaitFor(int ms);
    bool Finished() const;
    // CPU time that the thread has used, in microseconds; -1 once it has been waited for.
    // Called by the thread's owner.
    long long CpuMicroseconds() const;

protected:
    tThread() = default;
    void Start();
    void EndThread();
    virtual void Execute() = 0;
    // Sleeps `ms` milliseconds or until the terminate request; false when it came.
    bool SleepUnlessTerminated(int ms);

private:
    void Run();

    std::thread thread_;
    std::atomic<bool> terminated_{false};
    mutable std::mutex stateLock_;
    std::condition_variable stateChanged_;
    bool finished_ = false;
};
