#pragma once

#include <QByteArray>
#include <QList>
#include <bitset>
#include <cstdint>
#include <vector>

#include "model/channels.h"

class tLogFile;

// One accepted sample line in physical units.
struct tSample {
    double value[kChannelCount] = {};  // channel values, relative readings applied
    float time = 0;                    // the ball's time in seconds; the record's once placed
    float deviceTime = 0;              // the ball's own time in seconds, kept when placed
    std::int32_t battery = 0;          // percent
};

// What one received chunk gave.
struct tChunkResult {
    std::vector<tSample> samples;  // the accepted lines, in order
    QList<QByteArray> rejected;    // the lines that did not decode, as received
    int lines = 0;                 // lines ended by CR LF
    float time = -1;               // the last accepted sample's time, -1 without one
    std::int32_t battery = -1;     // the last accepted sample's battery, -1 without one

    // The time axes and the value table follow only a chunk whose last time is above 0.
    bool MovesTimeAxes() const { return time > 0; }
    // A battery of -1 (no sample, or the ball's "unknown") leaves the battery panel alone.
    bool ShowsBattery() const { return battery != -1; }
};

// Where the decoder traces: `file` may be null; with `measure` ("LOG_MEASURE") every line is
// logged as received, before its scan.
struct tDecodeLog {
    tLogFile* file = nullptr;
    bool measure = false;
};

// The end of the first line that starts at `from`: its CR LF, or `end` when the bytes hold no
// further CR LF. A lone LF belongs to the line.
const char* FindLineEnd(const char* from, const char* end);

// The log texts of the decoder.
QByteArray MeasureLogLine(const QByteArray& line);      // the line as received
QByteArray PacketErrorLogLine(const QByteArray& line);  // "PACKET ERROR:" + the line

// Turns the chunks of the measurement stream into samples, applying the relative readings.
// The chosen channels are read relative to their first sample after ResetZeroRef: that first
// sample keeps its absolute value and becomes the channel's reference, every later one has the
// reference subtracted from its raw field, in 32-bit float, before the scaling.
class tSampleDecoder {
public:
    // The channels read relative to their first sample (the window's "relative readings" menu).
    void SetRelative(int channel, bool relative) { relative_[channel] = relative; }
    bool IsRelative(int channel) const { return relative_[channel]; }

    // Every reference back to 0, for a new measurement.
    void ResetZeroRef();
    double ZeroRef(int channel) const { return ZeroRef_[channel]; }

    // Decodes one line (without its CR LF). recordEmpty: no sample has been recorded since the
    // references were reset, so this one sets them. A rejected line changes nothing.
    bool DecodeLine(const char* line, int length, bool recordEmpty, tSample& out);

    // Splits a chunk into its CR LF-ended lines and decodes each one; bytes after the last
    // CR LF are dropped. recordCount: the samples recorded before this chunk.
    tChunkResult DecodeChunk(const char* bytes, int length, int recordCount,
                             const tDecodeLog& log = {});

private:
    std::bitset<kChannelCount> relative_;
    double ZeroRef_[kChannelCount] = {};
};
