#include "model/csv_export.h"

#include <algorithm>
#include <vector>

#include "app/atomic_file.h"
#include "app/format_settings.h"
#include "base/builtin_texts.h"
#include "model/number_format.h"
#include "model/windows1251.h"

namespace {
constexpr int kTimeDecimals = 3;
constexpr int kValueDecimals = 2;
// The rows go out in pieces of about this many bytes.
constexpr int kChunkBytes = 1 << 20;
// The most bytes one row takes: the time and nine values with their tabs, and CR LF.
constexpr int kRowMaxBytes = (kChannelCount + 1) * (kFixedMaxLength + 1) + 2;
// The samples read per channel at once in a range.
constexpr int kBlockSamples = 4096;

bool HasMarks(const tExportSource& s, int count) {
    for (const tMarkSet* marks : s.marks)
        if (marks && marks->AnyBelow(count)) return true;
    return false;
}

// The marked samples of the visible series, ascending, each once.
std::vector<int> MarkedSamples(const tExportSource& s, int count) {
    std::vector<int> rows;
    for (int k = 0; k < kChannelCount; ++k) {
        if (!s.visible[k] || !s.marks[k]) continue;
        for (const int index : s.marks[k]->Indices()) {
            if (index >= count) break;
            rows.push_back(index);
        }
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

QByteArray Header(const tExportSource& s) {
    QString header = QStringLiteral("t");
    for (int k = 0; k < kChannelCount; ++k)
        if (s.visible[k]) header += u'\t' + s.names[k];
    return EncodeWindows1251(header) + "\r\n";
}

// Takes the file's bytes piece by piece; false stops the export.
using tSink = std::function<bool(const char* data, qint64 size)>;

// Formats rows into a buffer and hands it to the sink whenever it holds a piece.
class tRowWriter {
public:
    tRowWriter(const tSink& sink, char separator, double t0)
        : sink_(sink), separator_(separator), t0_(t0), buffer_(kChunkBytes + kRowMaxBytes) {}

    // A row of the time and the values of the channels in `channels`. Without channels the row
    // is empty, or left out with `skipEmpty`.
    void Write(double time, const double (&values)[kChannelCount],
               const std::bitset<kChannelCount>& channels, bool skipEmpty) {
        if (channels.none() && skipEmpty) return;
        char* const start = buffer_.data() + used_;
        char* o = start;
        if (channels.any()) o += WriteFixed(o, time - t0_, kTimeDecimals, separator_);
        for (int k = 0; k < kChannelCount; ++k) {
            if (!channels[k]) continue;
            *o++ = '\t';
            o += WriteFixed(o, values[k], kValueDecimals, separator_);
        }
        *o++ = '\r';
        *o++ = '\n';
        used_ += static_cast<size_t>(o - start);
    }

    bool Full() const { return used_ >= kChunkBytes; }

    bool Flush() {
        const bool ok = used_ == 0 || sink_(buffer_.data(), static_cast<qint64>(used_));
        used_ = 0;
        return ok;
    }

private:
    const tSink& sink_;
    char separator_;
    double t0_;
    std::vector<char> buffer_;
    size_t used_ = 0;
};

// Reports the share of `done` in `total` rows as 0 to 99 percent, each step once.
class tRowProgress {
public:
    tRowProgress(const tExportProgress& progress, size_t total)
        : progress_(progress), total_(std::max<size_t>(total, 1)) {}

    void At(size_t done) {
        if (!progress_) return;
        const int percent = static_cast<int>(done * 99 / total_);
        if (percent == reported_) return;
        reported_ = percent;
        progress_(percent);
    }

private:
    const tExportProgress& progress_;
    size_t total_;
    int reported_ = -1;
};

tExportResult ExportResult(const QString& fileName, const tAtomicWriteResult& written) {
    switch (written.stage) {
        case tAtomicWriteResult::Ok:
            return {};
        case tAtomicWriteResult::Create:
            return {tExportResult::CreateFailed,
                    ExportCreateErrorMessage(fileName, written.SystemMessage())};
        case tAtomicWriteResult::Write:
            break;
    }
    return {tExportResult::WriteFailed, ExportWriteErrorMessage()};
}

// Hands the whole file to the sink; false when the sink stopped it.
bool WriteExport(const tExportSource& s, const tSink& sink, const tExportProgress& progress) {
    const int count = s.record->Count();
    const QChar separator = s.separator.isNull() ? FormatSettings().DecimalSeparator : s.separator;
    const double t0 = s.ZeroMarkerIndex >= 0 ? s.record->Time(s.ZeroMarkerIndex) : 0.0;

    const QByteArray header = Header(s);
    if (!sink(header.constData(), header.size())) return false;
    tRowWriter rows(sink, EncodeWindows1251(separator), t0);
    double values[kChannelCount] = {};

    if (HasMarks(s, count)) {
        // A channel contributes only where its series marks the sample.
        const std::vector<int> marked = MarkedSamples(s, count);
        tRowProgress done(progress, marked.size());
        done.At(0);
        for (size_t i = 0; i < marked.size(); ++i) {
            const int index = marked[i];
            std::bitset<kChannelCount> channels;
            for (int k = 0; k < kChannelCount; ++k) {
                if (!s.visible[k] || !(s.marks[k] && s.marks[k]->Contains(index))) continue;
                channels.set(k);
                values[k] = s.record->Value(k, index);
            }
            rows.Write(s.record->Time(index), values, channels, true);
            if (rows.Full()) {
                if (!rows.Flush()) return false;
                done.At(i + 1);
            }
        }
        return rows.Flush();
    }

    const int lo = s.ZeroMarkerIndex >= 0 ? s.ZeroMarkerIndex : 0;
    const int hi = s.CursorIndex >= 0 ? s.CursorIndex : count - 1;
    const int first = std::min(lo, hi);
    const int last = std::max(lo, hi);
    tRowProgress done(progress, static_cast<size_t>(last - first + 1));
    done.At(0);
    // The visible channels' values a block at a time, channel by channel.
    std::vector<double> block(static_cast<size_t>(kChannelCount) * kBlockSamples);
    for (int start = first; start <= last; start += kBlockSamples) {
        const int n = std::min(kBlockSamples, last - start + 1);
        for (int k = 0; k < kChannelCount; ++k)
            if (s.visible[k]) s.record->ReadValues(k, start, n, &block[size_t(k) * kBlockSamples]);
        for (int i = 0; i < n; ++i) {
            for (int k = 0; k < kChannelCount; ++k)
                if (s.visible[k]) values[k] = block[size_t(k) * kBlockSamples + size_t(i)];
            rows.Write(s.record->Time(start + i), values, s.visible, false);
            if (rows.Full()) {
                if (!rows.Flush()) return false;
                done.At(static_cast<size_t>(start - first + i + 1));
            }
        }
    }
    return rows.Flush();
}
}  // namespace

bool HasExportData(const tExportSource& s) {
    const int count = s.record ? s.record->Count() : 0;
    return count > 0 && s.ZeroMarkerIndex < count && s.CursorIndex < count;
}

std::optional<QByteArray> BuildExportFile(const tExportSource& s) {
    if (!HasExportData(s)) return std::nullopt;
    QByteArray out;
    WriteExport(s,
                [&out](const char* data, qint64 size) {
                    out.append(data, size);
                    return true;
                },
                {});
    return out;
}

tExportResult ExportRecord(const QString& fileName, const tExportSource& source,
                           const tExportProgress& progress) {
    if (!HasExportData(source)) return {tExportResult::NoData, ExportNoDataMessage()};
    tAtomicFileWriter writer(fileName);
    if (writer.Result().ok()) {
        WriteExport(
            source, [&writer](const char* data, qint64 size) { return writer.Write(data, size); },
            progress);
        writer.Commit();
    }
    const tExportResult result = ExportResult(fileName, writer.Result());
    if (result.ok() && progress) progress(100);
    return result;
}

tExportResult WriteExportFile(const QString& fileName, const QByteArray& content) {
    return ExportResult(fileName, AtomicWriteFile(fileName, content));
}

QString ExportNoDataMessage() {
    return LoadStr(5004);
}

QString ExportCreateErrorMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason);
}

QString ExportWriteErrorMessage() {
    return QStringLiteral("Stream write error");
}
