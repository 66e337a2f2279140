#include "model/csv_export.h"

#include <algorithm>
#include <vector>

#include "app/atomic_file.h"
#include "app/format_settings.h"
#include "model/number_format.h"
#include "model/windows1251.h"

namespace {
constexpr int kTimeDecimals = 3;
constexpr int kValueDecimals = 2;

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

class tRowWriter {
public:
    tRowWriter(const tExportSource& s, QByteArray& out, char separator, double t0)
        : s_(s), out_(out), separator_(separator), t0_(t0) {}

    // One row; with `markedOnly` a channel contributes only where its series marks the sample.
    void Write(int index, bool markedOnly) {
        bool empty = true;
        for (int k = 0; k < kChannelCount; ++k) {
            if (!s_.visible[k]) continue;
            if (markedOnly && !(s_.marks[k] && s_.marks[k]->Contains(index))) continue;
            if (empty) AppendFixed(out_, s_.record->Time(index) - t0_, kTimeDecimals, separator_);
            empty = false;
            out_ += '\t';
            AppendFixed(out_, s_.record->Value(k, index), kValueDecimals, separator_);
        }
        if (!markedOnly || !empty) out_ += "\r\n";
    }

private:
    const tExportSource& s_;
    QByteArray& out_;
    char separator_;
    double t0_;
};

QByteArray Header(const tExportSource& s) {
    QString header = QStringLiteral("t");
    for (int k = 0; k < kChannelCount; ++k)
        if (s.visible[k]) header += u'\t' + s.names[k];
    return EncodeWindows1251(header) + "\r\n";
}
}  // namespace

bool HasExportData(const tExportSource& s) {
    const int count = s.record ? s.record->Count() : 0;
    return count > 0 && s.ZeroMarkerIndex < count && s.CursorIndex < count;
}

std::optional<QByteArray> BuildExportFile(const tExportSource& s) {
    if (!HasExportData(s)) return std::nullopt;
    const int count = s.record->Count();
    const QChar separator = s.separator.isNull() ? FormatSettings().DecimalSeparator : s.separator;
    const double t0 = s.ZeroMarkerIndex >= 0 ? s.record->Time(s.ZeroMarkerIndex) : 0.0;

    QByteArray out = Header(s);
    tRowWriter rows(s, out, EncodeWindows1251(separator), t0);
    if (HasMarks(s, count)) {
        for (const int index : MarkedSamples(s, count)) rows.Write(index, true);
        return out;
    }
    const int lo = s.ZeroMarkerIndex >= 0 ? s.ZeroMarkerIndex : 0;
    const int hi = s.CursorIndex >= 0 ? s.CursorIndex : count - 1;
    const int first = std::min(lo, hi);
    const int last = std::max(lo, hi);
    out.reserve(out.size() + (last - first + 1) * (8 + 9 * 8));
    for (int index = first; index <= last; ++index) rows.Write(index, false);
    return out;
}

tExportResult ExportRecord(const QString& fileName, const tExportSource& source) {
    const std::optional<QByteArray> content = BuildExportFile(source);
    if (!content) return {tExportResult::NoData, ExportNoDataMessage()};
    return WriteExportFile(fileName, *content);
}

tExportResult WriteExportFile(const QString& fileName, const QByteArray& content) {
    const tAtomicWriteResult written = AtomicWriteFile(fileName, content);
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

QString ExportNoDataMessage() {
    return LoadStr(5004);
}

QString ExportCreateErrorMessage(const QString& fileName, const QString& reason) {
    return QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, reason);
}

QString ExportWriteErrorMessage() {
    return QStringLiteral("Stream write error");
}
