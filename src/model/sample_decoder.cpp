#include "model/sample_decoder.h"

#include <cmath>
#include <cstring>

#include "app/log_file.h"
#include "model/channels.h"
#include "model/sample_line.h"

QByteArray MeasureLogLine(const QByteArray& line) {
    return line;
}

QByteArray PacketErrorLogLine(const QByteArray& line) {
    return QByteArrayLiteral("PACKET ERROR:") + line;
}

void tSampleDecoder::ResetZeroRef() {
    for (double& ref : ZeroRef_) ref = 0;
}

bool tSampleDecoder::DecodeLine(const char* line, int length, bool recordEmpty, tSample& out) {
    tSampleFields fields;
    if (!ParseSampleLine(line, length, fields)) return false;
    if (relative_.any() && !recordEmpty) {
        for (int k = 0; k < kChannelCount; ++k) {
            if (!relative_[k]) continue;
            fields.raw[k] -= static_cast<float>(ZeroRef_[k]);
            // Two finite readings far enough apart overflow a float; such a line is as
            // unusable as one that arrived non-finite.
            if (!std::isfinite(fields.raw[k])) return false;
        }
    }
    if (relative_.any() && recordEmpty) {
        for (int k = 0; k < kChannelCount; ++k)
            if (relative_[k]) ZeroRef_[k] = fields.raw[k];
    }
    for (int k = 0; k < kChannelCount; ++k) out.value[k] = ScaleRawValue(k, fields.raw[k]);
    out.time = ScaleTime(fields.tt);
    out.deviceTime = out.time;
    out.battery = fields.b;
    return true;
}

const char* FindLineEnd(const char* from, const char* end) {
    const char* p = from;
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!lf) return end;
        const char* at = static_cast<const char*>(lf);
        if (at > from && at[-1] == '\r') return at - 1;
        p = at + 1;
    }
    return end;
}

tChunkResult tSampleDecoder::DecodeChunk(const char* bytes, int length, int recordCount,
                                         const tDecodeLog& log) {
    tChunkResult result;
    if (!bytes || length <= 0) return result;
    const bool logging = log.file && log.file->IsOpen();
    // A sample line is longer than 48 bytes: one allocation holds the chunk's samples.
    result.samples.reserve(static_cast<size_t>(length / 48 + 1));
    const char* end = bytes + length;
    for (const char* line = bytes;;) {
        const char* lineEnd = FindLineEnd(line, end);
        if (lineEnd == end) break;
        const int size = static_cast<int>(lineEnd - line);
        ++result.lines;
        if (logging && log.measure) log.file->Write(MeasureLogLine(QByteArray(line, size)));
        tSample sample;
        const bool empty = recordCount + static_cast<int>(result.samples.size()) == 0;
        if (DecodeLine(line, size, empty, sample)) {
            result.time = sample.time;
            result.battery = sample.battery;
            result.samples.push_back(sample);
        } else {
            const QByteArray text(line, size);
            if (logging) log.file->Write(PacketErrorLogLine(text));
            result.rejected.push_back(text);
        }
        line = lineEnd + 2;
    }
    return result;
}
