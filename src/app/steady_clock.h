#pragma once

#include <chrono>

// The host's monotonic clock in seconds, as the stream stamps its chunks and marks are timed.
inline double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
