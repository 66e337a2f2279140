#include "net/mqtt_messages.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cmath>

#include "model/number_format.h"
#include "model/sample_decoder.h"

const char* const kSampleFields[3 + kChannelCount] = {"seq", "t",  "tb", "ax", "ay", "az",
                                                      "wx",  "wy", "wz", "fx", "fy", "fz"};

namespace {
constexpr int kTimeDecimals = 3;   // as the export writes the time
constexpr int kValueDecimals = 2;  // and the channels

void AppendNumber(QByteArray& out, double value, int decimals) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    char text[kFixedMaxLength];
    out.append(text, WriteFixed(text, value, decimals, '.'));
}

QByteArray Compact(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Compact); }

QString Now() { return QDateTime::currentDateTime().toOffsetFromUtc(QDateTime::currentDateTime().offsetFromUtc())
                    .toString(Qt::ISODateWithMs); }
}  // namespace

QByteArray SamplesMessage(qint64 record, long long firstSeq, const std::vector<tSample>& samples) {
    QByteArray out;
    out.reserve(static_cast<int>(40 + samples.size() * 80));
    out += "{\"rec\":" + QByteArray::number(record);
    for (int field = 0; field < 3 + kChannelCount; ++field) {
        out += ",\"";
        out += kSampleFields[field];
        out += "\":[";
        for (size_t i = 0; i < samples.size(); ++i) {
            if (i > 0) out += ',';
            const tSample& s = samples[i];
            if (field == 0)
                out += QByteArray::number(firstSeq + static_cast<long long>(i));
            else if (field == 1)
                AppendNumber(out, s.time, kTimeDecimals);
            else if (field == 2)
                AppendNumber(out, s.deviceTime, kTimeDecimals);
            else
                AppendNumber(out, s.value[field - 3], kValueDecimals);
        }
        out += ']';
    }
    out += '}';
    return out;
}

QByteArray EventMessage(const QString& kind, const QString& detail) {
    return Compact({{"kind", kind}, {"detail", detail}, {"time", Now()}});
}

QByteArray MarkEventMessage(int number, double at, const QString& label) {
    return Compact({{"kind", "mark"},
                    {"number", number},
                    {"at", std::round(at * 1000) / 1000},
                    {"label", label},
                    {"time", Now()}});
}

bool tMqttStatus::operator==(const tMqttStatus& o) const {
    return state == o.state && port == o.port && battery == o.battery && lostLines == o.lostLines &&
           damagedLines == o.damagedLines && samples == o.samples && undelivered == o.undelivered;
}

QByteArray StatusMessage(const tMqttStatus& s) {
    QJsonObject object{{"state", s.state},
                       {"port", s.port},
                       {"version", QStringLiteral(MIRELVANE_FILE_VERSION)},
                       {"lost", static_cast<double>(s.lostLines)},
                       {"damaged", static_cast<double>(s.damagedLines)},
                       {"samples", static_cast<double>(s.samples)},
                       {"undelivered", static_cast<double>(s.undelivered)},
                       {"time", Now()}};
    object.insert("battery", s.battery >= 0 ? QJsonValue(s.battery) : QJsonValue());
    return Compact(object);
}

QByteArray OfflineStatusMessage() {
    return Compact({{"state", "offline"}, {"version", QStringLiteral(MIRELVANE_FILE_VERSION)}});
}

tRemoteCommand ParseRemoteCommand(const QByteArray& suffix, const QByteArray& payload, bool remoteControl) {
    tRemoteCommand command;
    if (suffix != "marks/set" && suffix != "control/set") {
        command.error = QStringLiteral("the topic \"%1\" takes no commands").arg(QString::fromUtf8(suffix));
        return command;
    }
    if (payload.size() > kMaxRemotePayload) {
        command.error = QStringLiteral("a message of %1 bytes is too long").arg(payload.size());
        return command;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(payload);
    if (decoder.hasError()) {
        command.error = QStringLiteral("the message is not UTF-8 text");
        return command;
    }
    for (const QChar c : text) {
        // Tabs and line ends become blanks; other control characters mean it is not text.
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\r' && c != u'\n') {
            command.error = QStringLiteral("the message holds control characters");
            return command;
        }
    }
    if (suffix == "control/set") {
        if (!remoteControl) {
            command.error = QStringLiteral("remote control is off (MqttRemoteControl=1 allows start and stop)");
            return command;
        }
        const QString word = text.trimmed().toLower();
        if (word == u"start")
            command.kind = tRemoteCommand::Start;
        else if (word == u"stop")
            command.kind = tRemoteCommand::Stop;
        else
            command.error = QStringLiteral("the command \"%1\" is neither start nor stop").arg(text.left(40));
        return command;
    }
    text.replace(u'\t', u' ').replace(u'\r', u' ').replace(u'\n', u' ');
    text = text.trimmed();
    if (text.size() > kMaxRemoteLabel) {
        command.error = QStringLiteral("a label of %1 characters is longer than %2").arg(text.size()).arg(kMaxRemoteLabel);
        return command;
    }
    command.kind = tRemoteCommand::Mark;
    command.label = text;
    return command;
}
