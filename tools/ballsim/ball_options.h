#pragma once

#include <map>
#include <string>

// ballsim's command line.
struct tBallOptions {
    std::string link;             // --link: a symlink to the slave side
    double speed = 1.0;           // --speed: multiple of the real byte rate
    std::string record;           // --record: every byte received is appended here
    bool idWrong = false;         // --id-wrong: identification differs in one byte
    bool idShort = false;         // --id-short: identification is one byte short
    int lateMs = 0;               // --late MS: replies come this much later
    int lateCount = -1;           // --late-count N: only the first N replies are late
    int garbageEvery = 0;         // --garbage N: every Nth stream line is garbage
    long long noLineEndAfter = -1;  // --no-line-end N: after N lines, bytes without a line end
    int noLineEndBytes = 3000;    // --no-line-end-bytes B
    long long nulAfter = -1;      // --nul-storm N: after N lines, a run of NUL bytes
    int nulBytes = 2000;          // --nul-bytes B
    long long unplugAfter = -1;   // --unplug-after N: close the terminal after N lines
    long long replugAfterMs = -1;   // --replug-after-ms M: a new terminal M ms after the unplug
    long long replugTimeMs = -1;    // --replug-device-time MS: the line time after the replug
    int dropEvery = 0;            // --drop-every N: every Nth stream line is not sent
    long long restartAfter = -1;  // --restart-after N: after N lines the clock starts at 1 s
    long long streamLines = -1;   // --stream-lines N: a stream ends by itself after N lines
    int battery = 87;             // --battery P
    long long deviceTime = 0;     // --device-time MS: the device time at start
    long long clockOffset = 0;    // --clock-offset MS: added to the ball's clock
    double driftPpm = 0;          // --drift PPM: the ball's clock runs this much fast (or slow)
    bool hostClock = false;       // --host-clock: a line every 10 ms of the host's clock
    std::string sendLog;          // --send-log FILE: each line's time and its host send time
    unsigned seed = 1;            // --seed N
    std::map<std::string, std::string> replies;  // --reply REQ=TEXT
};

// Fills `options` from argv. Returns -1 to go on, otherwise the exit code (after --help, or
// after an error, which is written to stderr).
int ParseBallOptions(int argc, char** argv, tBallOptions& options);

// The text of --help.
const char* BallUsage();

// "\r", "\n", "\t", "\0", "\\" and "\xHH" in `text` become the bytes they name.
std::string UnescapeBytes(const std::string& text);
