// The reader of journals and exported files on arbitrary bytes: it ends with a record or an
// error that names a line of the input, gives only finite values, and the samples it reports
// are the ones it handed over.
#include <QBuffer>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "model/record_reader.h"

namespace {
class tCheckingSink : public tRecordSink {
public:
    void Append(double time, const double (&values)[kChannelCount]) override {
        if (!std::isfinite(time)) std::abort();
        for (double v : values)
            if (!std::isfinite(v)) std::abort();
        ++count;
    }
    int count = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size > 262144) return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    tCheckingSink sink;
    tRecordInfo info;
    // A small line limit, so that the long-line path is reached with small inputs.
    const tRecordError error = ReadRecord(buffer, bytes.size(), sink, info, {1 << 20, 256});
    if (error) {
        if (error.line < 1 || error.line > bytes.count('\n') + 1) std::abort();
    } else if (sink.count != info.samples) {
        std::abort();
    }
    if (bytes.count('\n') == 0 && !error && info.samples > 0) std::abort();
    return 0;
}
