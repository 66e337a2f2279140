// The sample-line reader against the C library's scanner: both must accept the same lines and
// read the same values, non-finite numbers aside, which the reader rejects on purpose.
#include <locale.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/sample_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    const std::string line(reinterpret_cast<const char*>(data), size);
    tSampleFields ours;
    const bool accepted = ParseSampleLine(line.data(), static_cast<int>(line.size()), ours);

    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const locale_t previous = uselocale(c);
    tSampleFields lib;
    float* r = lib.raw;
    const int n = std::sscanf(
        line.c_str(), "ax:%f\tay:%f\taz:%f\tgx:%f\tgy:%f\tgz:%f\tr:%f\tp:%f\ty:%f\ttt:%f\tb:%d",
        &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], &r[6], &r[7], &r[8], &lib.tt, &lib.b);
    uselocale(previous);
    bool expected = n == 11 && std::isfinite(lib.tt);
    for (int i = 0; expected && i < tSampleFields::kRawCount; ++i) expected = std::isfinite(r[i]);

    if (accepted != expected) std::abort();
    if (accepted && (std::memcmp(ours.raw, lib.raw, sizeof ours.raw) != 0 ||
                     std::memcmp(&ours.tt, &lib.tt, sizeof ours.tt) != 0 || ours.b != lib.b))
        std::abort();
    return 0;
}
