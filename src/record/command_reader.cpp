#include "record/command_reader.h"

#include <QStringDecoder>
#include <cstring>

namespace {
tRecordCommand Refused(const QString& why) { return {tRecordCommand::Invalid, why}; }

// A piece of a refused line for the message: printable ASCII only, and short.
QString Shown(const QByteArray& text) {
    QString shown;
    for (const char c : text.left(40)) shown += (c >= 0x20 && c < 0x7f) ? QChar(c) : QChar(u'?');
    return text.size() > 40 ? shown + QStringLiteral("...") : shown;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

tRecordCommand ParseRecordCommand(const QByteArray& raw, bool* none) {
    if (none) *none = false;
    QByteArray line = raw;
    if (line.endsWith('\r')) line.chop(1);
    if (line.size() > kMaxCommandLine)
        return Refused(QStringLiteral("command line longer than %1 bytes ignored").arg(kMaxCommandLine));
    int begin = 0, end = int(line.size());
    while (begin < end && IsBlank(line[begin])) ++begin;
    while (end > begin && IsBlank(line[end - 1])) --end;
    line = line.mid(begin, end - begin);
    if (line.isEmpty()) {
        if (none) *none = true;
        return Refused(QString());
    }
    for (const char c : line) {
        const unsigned char u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return Refused(QStringLiteral("control character in command: %1").arg(Shown(line)));
    }
    int blank = 0;
    while (blank < line.size() && !IsBlank(line[blank])) ++blank;
    const QByteArray word = line.left(blank);
    int rest = blank;
    while (rest < line.size() && IsBlank(line[rest])) ++rest;
    const QByteArray argument = line.mid(rest);

    if (word == "mark") {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString label = utf8.decode(argument);
        if (utf8.hasError()) return Refused(QStringLiteral("mark label is not UTF-8"));
        return {tRecordCommand::Mark, label};
    }
    tRecordCommand::Kind kind = tRecordCommand::Invalid;
    if (word == "pause") kind = tRecordCommand::Pause;
    else if (word == "resume") kind = tRecordCommand::Resume;
    else if (word == "stop") kind = tRecordCommand::Stop;
    else return Refused(QStringLiteral("unknown command: %1").arg(Shown(line)));
    if (!argument.isEmpty())
        return Refused(QStringLiteral("%1 takes no argument: %2")
                           .arg(QString::fromLatin1(word), Shown(line)));
    return {kind, QString()};
}

void tCommandReader::TakeLine(std::vector<tRecordCommand>& out) {
    bool none = false;
    tRecordCommand command = ParseRecordCommand(line_, &none);
    line_.clear();
    if (!none) out.push_back(std::move(command));
}

std::vector<tRecordCommand> tCommandReader::Feed(const char* data, qint64 size) {
    std::vector<tRecordCommand> out;
    const char* p = data;
    const char* const stop = data + size;
    while (p < stop) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', size_t(stop - p)));
        const char* pieceEnd = lf ? lf : stop;
        if (!skipping_) {
            if (line_.size() + (pieceEnd - p) > kMaxCommandLine + 1) {
                // One byte of slack for the CR of a CR LF.
                line_.clear();
                skipping_ = true;
                out.push_back(Refused(
                    QStringLiteral("command line longer than %1 bytes ignored").arg(kMaxCommandLine)));
            } else {
                line_.append(p, int(pieceEnd - p));
            }
        }
        if (!lf) break;
        if (skipping_) skipping_ = false;
        else TakeLine(out);
        p = lf + 1;
    }
    return out;
}

std::vector<tRecordCommand> tCommandReader::Finish() {
    std::vector<tRecordCommand> out;
    if (!skipping_ && !line_.isEmpty()) TakeLine(out);
    line_.clear();
    skipping_ = false;
    return out;
}
