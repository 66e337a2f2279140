// The chunk decoder on arbitrary bytes: it must cut exactly at each CR LF, account for every
// line as a sample or a rejected line, and give only finite values.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/sample_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size < 1 || size > 65536) return 0;
    tSampleDecoder decoder;
    // The first byte chooses the relative channels and whether the record is empty.
    for (int k = 0; k < kChannelCount; ++k) decoder.SetRelative(k, (data[0] >> (k % 8)) & 1);
    const std::string chunk(reinterpret_cast<const char*>(data) + 1, size - 1);
    const tChunkResult first =
        decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), data[0] & 1);
    const tChunkResult second =
        decoder.DecodeChunk(chunk.data(), static_cast<int>(chunk.size()), 1);

    for (const tChunkResult* result : {&first, &second}) {
        std::vector<std::string> lines;
        for (size_t from = 0, at; (at = chunk.find("\r\n", from)) != std::string::npos;
             from = at + 2)
            lines.push_back(chunk.substr(from, at - from));
        if (result->lines != static_cast<int>(lines.size())) std::abort();
        if (result->samples.size() + static_cast<size_t>(result->rejected.size()) != lines.size())
            std::abort();
        for (const tSample& s : result->samples) {
            for (const double v : s.value)
                if (!std::isfinite(v)) std::abort();
            if (!std::isfinite(s.time)) std::abort();
        }
        if (!result->samples.empty() && (result->time != result->samples.back().time ||
                                         result->battery != result->samples.back().battery))
            std::abort();
    }
    return 0;
}
