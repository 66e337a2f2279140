#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "model/channels.h"

struct tSample;

// The JSON texts the publisher sends and the commands it takes. Pure functions, so that the
// fuzzer and the tests reach them without a broker.

// The field names of a sample, in the message's order: the running number, the record time,
// the ball's own time, then the nine channels.
extern const char* const kSampleFields[3 + kChannelCount];

// One message of consecutive samples in columns: {"rec":R,"seq":[..],"t":[..],"tb":[..],
// "ax":[..],...,"fz":[..]}, every array as long as the others. `firstSeq` is the running number
// (the record's sample index) of samples[0]; `record` tells records apart (their start, ms
// since the epoch). The numbers are the export's: t with three decimals, the channels with
// two, a decimal point; a value that is not finite is null.
QByteArray SamplesMessage(qint64 record, long long firstSeq, const std::vector<tSample>& samples);

// {"kind":K,"detail":D,"time":ISO local time} and, for a mark, "number", "at" and "label".
QByteArray EventMessage(const QString& kind, const QString& detail);
QByteArray MarkEventMessage(int number, double at, const QString& label);

// The retained status.
struct tMqttStatus {
    QString state;  // offline, disconnected, connected, measuring, paused or lost
    QString port;
    int battery = -1;
    long long lostLines = 0;
    long long damagedLines = 0;
    long long samples = 0;
    long long undelivered = 0;
    bool operator==(const tMqttStatus& o) const;
    bool operator!=(const tMqttStatus& o) const { return !(*this == o); }
};
QByteArray StatusMessage(const tMqttStatus& status);
// The last will: what a subscriber sees when the program died.
QByteArray OfflineStatusMessage();

// What a message on a subscribed topic asks for.
struct tRemoteCommand {
    enum Kind { None, Mark, Start, Stop } kind = None;
    QString label;  // of a mark
    QString error;  // why it was refused ("" when it was not)
};

// The longest label a mark takes from the network, in characters.
constexpr int kMaxRemoteLabel = 200;
// The longest payload looked at, in bytes.
constexpr int kMaxRemotePayload = 4 * kMaxRemoteLabel;

// `suffix` is the topic below the base: "marks/set" takes the payload as a mark's label (UTF-8
// text of one line, at most kMaxRemoteLabel characters; empty gives a numbered mark);
// "control/set" takes "start" or "stop", and only with `remoteControl`. Anything else is
// refused with a reason and changes nothing.
tRemoteCommand ParseRemoteCommand(const QByteArray& suffix, const QByteArray& payload, bool remoteControl);
