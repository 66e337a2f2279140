#include "model/record_reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#include "base/builtin_texts.h"
#include "model/sample_decoder.h"
#include "model/windows1251.h"

namespace {
constexpr qint64 kBlockBytes = 1 << 20;

// Lines of a file in blocks. Journal lines end at CR LF as the decoder cut them (a lone LF
// belongs to the line); export lines end at LF, with a CR before it dropped.
class tLineReader {
public:
    enum Result { Line, End, TooLong, Unterminated };

    tLineReader(QIODevice& in, int maxLine) : in_(in), maxLine_(maxLine) {}

    void SetCrLfOnly(bool crLfOnly) { crLfOnly_ = crLfOnly; }
    // Bytes of the input taken as lines so far.
    qint64 Consumed() const { return read_ - qint64(end_ - begin_); }
    // The first bytes of the input, without taking them.
    QByteArray Peek(int count) {
        if (end_ - begin_ < size_t(count) && !eof_) Fill();
        return QByteArray(buf_.data() + begin_, int(std::min(end_ - begin_, size_t(count))));
    }

    // `line` and `length` stay valid until the next call.
    Result Next(const char*& line, int& length) {
        for (;;) {
            if (const char* lf = FindEnd()) {
                const char* start = buf_.data() + begin_;
                length = int(lf - start);
                begin_ = size_t(lf - buf_.data()) + 1;
                scan_ = begin_;
                if (length > 0 && start[length - 1] == '\r') --length;
                line = start;
                return length > maxLine_ ? TooLong : Line;
            }
            if (end_ - begin_ > size_t(maxLine_) + 2) return TooLong;
            if (eof_) {
                line = buf_.data() + begin_;
                length = int(end_ - begin_);
                begin_ = scan_ = end_;
                return length == 0 ? End : Unterminated;
            }
            Fill();
        }
    }

private:
    const char* FindEnd() {
        const char* base = buf_.data();
        while (scan_ < end_) {
            const void* hit = std::memchr(base + scan_, '\n', end_ - scan_);
            if (!hit) {
                scan_ = end_;
                return nullptr;
            }
            const char* lf = static_cast<const char*>(hit);
            scan_ = size_t(lf - base) + 1;
            if (!crLfOnly_ || (size_t(lf - base) > begin_ && lf[-1] == '\r')) return lf;
        }
        return nullptr;
    }

    void Fill() {
        if (begin_ > 0) {
            std::memmove(buf_.data(), buf_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            scan_ -= begin_;
            begin_ = 0;
        }
        if (buf_.size() < end_ + kBlockBytes) buf_.resize(end_ + kBlockBytes);
        const qint64 n = in_.read(buf_.data() + end_, kBlockBytes);
        if (n <= 0) {
            eof_ = true;
            return;
        }
        end_ += size_t(n);
        read_ += n;
    }

    QIODevice& in_;
    int maxLine_;
    bool crLfOnly_ = true;
    std::vector<char> buf_;
    size_t begin_ = 0, end_ = 0, scan_ = 0;
    qint64 read_ = 0;
    bool eof_ = false;
};

tRecordError Fail(tRecordError::Kind kind, qint64 line) {
    return {kind, line, QString()};
}

bool StartsWith(const char* line, int length, const char* prefix) {
    const int n = int(std::strlen(prefix));
    return length >= n && std::memcmp(line, prefix, size_t(n)) == 0;
}

bool HasBinary(const char* line, int length) {
    for (int i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7f) return true;
    }
    return false;
}

bool ParseRange(const QByteArray& text, tJournalRange& range) {
    const QList<QByteArray> words = text.split(' ');
    if (words.size() < 2) return false;
    bool okMin = false, okMax = false;
    range.min = words[0].toDouble(&okMin);
    range.max = words[1].toDouble(&okMax);
    range.entry = QString::fromUtf8(text.mid(words[0].size() + words[1].size() + 2));
    return okMin && okMax;
}

// One header or event line of a journal ("#name value").
void ReadJournalLine(const QByteArray& line, tSampleDecoder& decoder, tRecordInfo& info) {
    const qsizetype blank = line.indexOf(' ');
    const QByteArray name = line.mid(1, blank < 0 ? -1 : blank - 1);
    const QByteArray value = blank < 0 ? QByteArray() : line.mid(blank + 1);
    if (name == "event") {
        // "<time> <kind> <detail>"
        const qsizetype kindAt = value.indexOf(' ') + 1;
        const qsizetype detailAt = kindAt > 0 ? value.indexOf(' ', kindAt) : -1;
        const QByteArray kind = kindAt > 0 ? value.mid(kindAt, detailAt < 0 ? -1 : detailAt - kindAt)
                                           : QByteArray();
        const QByteArray detail = detailAt < 0 ? QByteArray() : value.mid(detailAt + 1);
        if (kind == "stop") {
            info.stopped = true;
        } else if (kind == "mark") {
            tEventMark mark;
            if (ParseMarkEventDetail(detail, mark)) info.marks.Restore(mark);
        } else if (kind == "clock") {
            const QList<QByteArray> words = detail.split(' ');
            bool ok[3] = {};
            tJournalClockPoint point;
            if (words.size() == 3) {
                point.device = words[0].toDouble(&ok[0]);
                point.monotonic = words[1].toDouble(&ok[1]);
                point.wall = words[2].toDouble(&ok[2]);
            }
            point.samples = info.samples;
            if (ok[0] && ok[1] && ok[2]) info.clock.push_back(point);
        }
    } else if (name == "relative") {
        for (int k = 0; k < kChannelCount && k < value.size(); ++k)
            decoder.SetRelative(k, value[k] == '1');
    } else if (name == "acc" || name == "gyro") {
        info.hasRanges = ParseRange(value, name == "acc" ? info.acc : info.gyro) && info.hasRanges;
    } else if (name == "start") {
        info.start = ParseJournalTime(value);
    } else if (name == "port") {
        info.port = QString::fromUtf8(value);
    }
}

// Once the first lines show how long a line is, the sink learns the record's size, so that a
// long record is stored without regrowing; a little over, as a regrowth at the end costs more.
constexpr int kSamplesBeforeEstimate = 256;

void TellExpected(const tLineReader& lines, qint64 size, int samples, tRecordSink& sink) {
    const qint64 consumed = lines.Consumed();
    if (consumed > 0 && size > consumed)
        sink.Expect(
            int(std::min<qint64>(qint64(samples) * size / consumed * 51 / 50 + 16, 1 << 30)));
}

tRecordError ReadJournal(tLineReader& lines, qint64 size, tRecordSink& sink, tRecordInfo& info) {
    info.kind = tRecordInfo::Journal;
    tSampleDecoder decoder;
    const char* line = nullptr;
    int length = 0;
    if (lines.Next(line, length) != tLineReader::Line ||
        QByteArray(line, length) != "#mvrec " + QByteArray::number(kJournalVersion))
        return Fail(tRecordError::WrongHeader, 1);
    info.hasRanges = true;
    bool rangesSeen = false;
    for (qint64 number = 2;; ++number) {
        const tLineReader::Result result = lines.Next(line, length);
        if (result == tLineReader::End) break;
        if (result == tLineReader::TooLong) return Fail(tRecordError::LineTooLong, number);
        if (result == tLineReader::Unterminated) {
            // A crash may cut the last write short; a measurement that was stopped may not.
            if (info.stopped) return Fail(tRecordError::Truncated, number);
            info.cutTail = true;
            break;
        }
        if (StartsWith(line, length, "#line ")) {
            line += 6;
            length -= 6;
        } else if (length > 0 && line[0] == '#') {
            const QByteArray text(line, length);
            ReadJournalLine(text, decoder, info);
            rangesSeen |= text.startsWith("#acc ") || text.startsWith("#gyro ");
            continue;
        }
        tSample sample;
        if (decoder.DecodeLine(line, length, info.samples == 0, sample)) {
            sink.Append(sample.time, sample.value);
            if (++info.samples == kSamplesBeforeEstimate)
                TellExpected(lines, size, info.samples, sink);
        } else {
            ++info.rejected;
        }
    }
    info.hasRanges = info.hasRanges && rangesSeen;
    return {};
}

// The channel a header name stands for, searching from `from` on; -1 for none.
int ChannelOfName(const QString& name, int from) {
    for (int k = from; k < kChannelCount; ++k) {
        const tLangConstants& constants = LangConstants();
        const int at = constants.IndexOf(QStringLiteral("LC_SENS_%1").arg(k));
        if (name == ChannelNames[k] || name == BuiltInChannelName(k) ||
            (at >= 0 && (name == constants.At(at).builtIn || name == constants.At(at).current)))
            return k;
    }
    return -1;
}

// The channels of the header's columns; false for a header the export does not write.
bool ReadExportHeader(const QByteArray& line, std::vector<int>& columns) {
    const QList<QByteArray> names = line.split('\t');
    if (names.size() < 2 || names.size() > 1 + kChannelCount || names[0] != "t") return false;
    columns.clear();
    for (int i = 1; i < names.size(); ++i) {
        // All nine columns are the nine channels in order, whatever language named them.
        const int channel = names.size() == 1 + kChannelCount
                                ? i - 1
                                : ChannelOfName(DecodeWindows1251(names[i]),
                                                columns.empty() ? 0 : columns.back() + 1);
        if (channel < 0 || names[i].isEmpty()) return false;
        columns.push_back(channel);
    }
    return true;
}

// "-12.34" or "-12,34"; nothing else the export writes.
bool ParseExportNumber(const char* text, int length, double& value) {
    char buffer[64];
    if (length <= 0 || length >= int(sizeof buffer)) return false;
    int digits = 0, separators = 0;
    for (int i = 0; i < length; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
            buffer[i] = c;
        } else if ((c == ',' || c == '.') && digits > 0 && separators == 0 && i + 1 < length) {
            ++separators;
            buffer[i] = '.';
        } else if (c == '-' && i == 0) {
            buffer[i] = c;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    return std::from_chars(buffer, buffer + length, value).ec == std::errc();
}

bool ReadExportRow(const char* line, int length, const std::vector<int>& columns, double& time,
                   double (&values)[kChannelCount]) {
    const char* end = line + length;
    const char* field = line;
    for (size_t column = 0; column <= columns.size(); ++column) {
        const char* tab = static_cast<const char*>(std::memchr(field, '\t', size_t(end - field)));
        const char* fieldEnd = tab ? tab : end;
        if ((column < columns.size()) != (tab != nullptr)) return false;
        double& target = column == 0 ? time : values[columns[column - 1]];
        if (!ParseExportNumber(field, int(fieldEnd - field), target)) return false;
        field = fieldEnd + 1;
    }
    return true;
}

tRecordError ReadExport(tLineReader& lines, qint64 size, tRecordSink& sink, tRecordInfo& info) {
    info.kind = tRecordInfo::Export;
    lines.SetCrLfOnly(false);
    const char* line = nullptr;
    int length = 0;
    std::vector<int> columns;
    const tLineReader::Result first = lines.Next(line, length);
    if (first == tLineReader::TooLong) return Fail(tRecordError::LineTooLong, 1);
    if (first != tLineReader::End && HasBinary(line, length)) return Fail(tRecordError::Binary, 1);
    if (first != tLineReader::Line || !ReadExportHeader(QByteArray(line, length), columns))
        return Fail(tRecordError::WrongHeader, 1);
    info.channels.reset();
    for (int channel : columns) info.channels.set(size_t(channel));
    for (qint64 number = 2;; ++number) {
        const tLineReader::Result result = lines.Next(line, length);
        if (result == tLineReader::End) break;
        if (result == tLineReader::TooLong) return Fail(tRecordError::LineTooLong, number);
        if (HasBinary(line, length)) return Fail(tRecordError::Binary, number);
        if (result == tLineReader::Unterminated) return Fail(tRecordError::Truncated, number);
        double time = 0;
        double values[kChannelCount] = {};
        if (!ReadExportRow(line, length, columns, time, values))
            return Fail(tRecordError::BadValue, number);
        sink.Append(time, values);
        if (++info.samples == kSamplesBeforeEstimate) TellExpected(lines, size, info.samples, sink);
    }
    return {};
}
}  // namespace

tRecordError ReadRecord(QIODevice& in, qint64 size, tRecordSink& sink, tRecordInfo& info,
                        const tRecordLimits& limits) {
    info = tRecordInfo();
    if (size > limits.maxFileBytes) return Fail(tRecordError::TooLarge, 0);
    tLineReader lines(in, limits.maxLineBytes);
    if (lines.Peek(7) == "#mvrec ") return ReadJournal(lines, size, sink, info);
    return ReadExport(lines, size, sink, info);
}

tRecordError ReadRecordFile(const QString& path, tRecordSink& sink, tRecordInfo& info,
                            const tRecordLimits& limits) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || QFileInfo(path).isDir())
        return {tRecordError::CannotOpen, 0, file.errorString()};
    return ReadRecord(file, file.size(), sink, info, limits);
}

QString RecordErrorMessage(const QString& path, const tRecordError& error) {
    // The reason of each kind of error, in the order of tRecordError::Kind.
    static const char* const kReasons[] = {nullptr,
                                           "LC_RECORD_CANT_READ",
                                           "LC_RECORD_TOO_LARGE",
                                           "LC_RECORD_BAD_HEADER",
                                           "LC_RECORD_BINARY",
                                           "LC_RECORD_LONG_LINE",
                                           "LC_RECORD_TRUNCATED",
                                           "LC_RECORD_BAD_VALUE"};
    if (!error) return QString();
    QString reason = LangConst(QLatin1String(kReasons[error.kind]));
    if (error.kind == tRecordError::CannotOpen) reason = reason.arg(error.reason);
    if (error.line > 0)
        reason =
            LangConst(QStringLiteral("LC_RECORD_AT_LINE")).arg(QString::number(error.line), reason);
    return LangConst(QStringLiteral("LC_RECORD_ERROR")).arg(path, reason);
}
