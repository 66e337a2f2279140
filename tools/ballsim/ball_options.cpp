#include "ball_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool ToNumber(const char* text, long long min, long long* value) {
    char* end = nullptr;
    const long long n = std::strtoll(text, &end, 10);
    if (!*text || *end || n < min) return false;
    *value = n;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Options that take a whole number, and the smallest value each accepts.
struct tNumberOption {
    const char* name;
    long long min;
};
const tNumberOption kNumberOptions[] = {
    {"--late", 0},           {"--late-count", 0},     {"--garbage", 1},
    {"--no-line-end", 0},    {"--no-line-end-bytes", 1}, {"--nul-storm", 0},
    {"--nul-bytes", 1},      {"--unplug-after", 0},   {"--stream-lines", 0},
    {"--battery", 0},        {"--device-time", 0},    {"--seed", 0},
    {"--replug-after-ms", 0}, {"--replug-device-time", 0}, {"--drop-every", 1},
    {"--restart-after", 0},  {"--clock-offset", 0},
};

void Store(const std::string& name, long long n, tBallOptions& o) {
    if (name == "--late") o.lateMs = static_cast<int>(n);
    else if (name == "--late-count") o.lateCount = static_cast<int>(n);
    else if (name == "--garbage") o.garbageEvery = static_cast<int>(n);
    else if (name == "--no-line-end") o.noLineEndAfter = n;
    else if (name == "--no-line-end-bytes") o.noLineEndBytes = static_cast<int>(n);
    else if (name == "--nul-storm") o.nulAfter = n;
    else if (name == "--nul-bytes") o.nulBytes = static_cast<int>(n);
    else if (name == "--unplug-after") o.unplugAfter = n;
    else if (name == "--stream-lines") o.streamLines = n;
    else if (name == "--battery") o.battery = static_cast<int>(n);
    else if (name == "--device-time") o.deviceTime = n;
    else if (name == "--seed") o.seed = static_cast<unsigned>(n);
    else if (name == "--replug-after-ms") o.replugAfterMs = n;
    else if (name == "--replug-device-time") o.replugTimeMs = n;
    else if (name == "--drop-every") o.dropEvery = static_cast<int>(n);
    else if (name == "--restart-after") o.restartAfter = n;
    else if (name == "--clock-offset") o.clockOffset = n;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "ballsim: %s (see --help)\n", message.c_str());
    return 2;
}

// Handles one option with a value; false when `name` takes none of these.
bool TakeValue(const std::string& name, const char* value, tBallOptions& o, std::string* error) {
    if (name == "--link") o.link = value;
    else if (name == "--record") o.record = value;
    else if (name == "--send-log") o.sendLog = value;
    else if (name == "--drift") {
        char* end = nullptr;
        o.driftPpm = std::strtod(value, &end);
        if (!*value || *end || !(o.driftPpm > -100000 && o.driftPpm < 100000))
            *error = "--drift needs a number of ppm between -100000 and 100000";
    }
    else if (name == "--speed") {
        char* end = nullptr;
        o.speed = std::strtod(value, &end);
        if (!*value || *end || !(o.speed > 0)) *error = "--speed needs a number above 0";
    } else if (name == "--reply") {
        const char* eq = std::strchr(value, '=');
        if (!eq || eq == value) *error = "--reply needs REQUEST=TEXT";
        else o.replies[std::string(value, eq)] = UnescapeBytes(eq + 1);
    } else {
        for (const tNumberOption& option : kNumberOptions) {
            if (name != option.name) continue;
            long long n = 0;
            if (!ToNumber(value, option.min, &n)) *error = name + " needs a whole number";
            else Store(name, n, o);
            return true;
        }
        return false;
    }
    return true;
}
}  // namespace

std::string UnescapeBytes(const std::string& text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'r') bytes += '\r';
        else if (c == 'n') bytes += '\n';
        else if (c == 't') bytes += '\t';
        else if (c == '0') bytes += '\0';
        else if (c == 'x' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                 HexDigit(text[i + 2]) >= 0) {
            bytes += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else bytes += c;
    }
    return bytes;
}

int ParseBallOptions(int argc, char** argv, tBallOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::fputs(BallUsage(), stdout);
            return 0;
        }
        if (name == "--id-wrong") o.idWrong = true;
        else if (name == "--host-clock") o.hostClock = true;
        else if (name == "--id-short") o.idShort = true;
        else {
            if (i + 1 >= argc) return Fail("unknown option or missing value: " + name);
            std::string error;
            if (!TakeValue(name, argv[i + 1], o, &error)) return Fail("unknown option: " + name);
            if (!error.empty()) return Fail(error);
            ++i;
        }
    }
    return -1;
}

const char* BallUsage() {
    return R"(Usage: ballsim [options]

Plays the motion-sensor ball on a new pseudo-terminal. The first line on standard output is
the terminal's path; connect the program to it (for instance with the settings key
"Ports=<path>"). Runs until SIGTERM or SIGINT, which remove the terminal and the link. At the
end, standard error tells how many sample lines were sent.

The ball answers "I", "?", "B", "P A0:n", "P G0:n" with their replies, streams sample lines
after "S" until "T", and follows "P M1:power*ms", "C" and "O". Its stream is paced at the real
byte rate of 115200 baud (10 bits a byte).

Options:
  --link PATH             also make PATH a symlink to the terminal
  --speed N               send N times faster than the real line (stress runs)
  --record FILE           append every byte that the program sends to FILE
  --battery P             battery charge at start, in percent (default 87)
  --device-time MS        device time at start, in ms (default 0); it counts on
  --seed N                seed of the signal noise (default 1)
  --stream-lines N        end each stream by itself after N sample lines

Clock:
  --clock-offset MS       add MS to the ball's clock (its replies and its lines)
  --drift PPM             the ball's clock runs PPM parts per million fast (negative:
                          slow) against the host's; with --host-clock
  --host-clock            send one line at every multiple of 10 ms of the host's
                          monotonic clock (several simulators send at the same
                          instants); each line carries the ball's clock at that instant
                          instead of counting 10 ms a line
  --send-log FILE         append "<line time ms><TAB><host monotonic s>" for every line
                          sent, the host time being when its last byte was written

Faults:
  --id-wrong              answer "I" with 15 bytes that differ from the identification
                          in one byte
  --id-short              answer "I" with the first 14 bytes of the identification
  --late MS               send every reply MS milliseconds late
  --late-count N          only the first N replies are late (with --late)
  --reply REQ=TEXT        answer request REQ (without CR LF, e.g. B) with TEXT; TEXT may
                          hold \r \n \t \0 \\ and \xHH
  --garbage N             every Nth sample line is replaced by a garbage line
  --no-line-end N         after N sample lines, send bytes without a line end
  --no-line-end-bytes B   how many (default 3000, more than the program carries)
  --nul-storm N           after N sample lines, send a run of NUL bytes
  --nul-bytes B           how many (default 2000)
  --unplug-after N        after N sample lines, close the terminal as if the ball were
                          pulled out; ballsim then waits to be ended
  --replug-after-ms M     with --unplug-after: M ms after the unplug, come back on a new
                          terminal (and on the same --link path), not streaming; the
                          lines' time has counted on meanwhile
  --replug-device-time MS with --replug-after-ms: the lines after the replug start at
                          time MS instead, as from a ball that was switched off
  --drop-every N          every Nth sample line is made but not sent (a lost line)
  --restart-after N       after N sample lines the lines' time starts again from 1 s, as
                          after a reset of the ball
  --help                  show this text
)";
}
