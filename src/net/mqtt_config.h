#pragma once

#include <QString>
#include <optional>

class tSettings;

// Where the broker is: "mqtt://host[:port]" (1883) or "mqtts://host[:port]" (8883, TLS).
struct tBrokerAddress {
    QString host;
    int port = 1883;
    bool tls = false;
};

// None, with the reason in `error`, for an address that does not parse.
std::optional<tBrokerAddress> ParseBrokerAddress(const QString& text, QString& error);

// The password: the file's first line. A file that others may read (or write) is refused, so
// that the password never lies open on a shared machine. "" when all is well, else the reason.
QString ReadPasswordFile(const QString& path, QString& password);

// The base of the topics: the setting "MqttTopic" (default "mirelvane/{host}/{ball}") with
// {host} the machine's name and {ball} the port's file name ("ttyUSB0"), without a trailing
// "/". MQTT's wildcards and blanks in the names become "_".
QString MqttTopicBase(const QString& pattern, const QString& port);

// The MQTT settings of one ball's publisher, read once.
struct tMqttConfig {
    bool enabled = false;  // "MqttBroker" is set
    tBrokerAddress broker;
    QString topic;  // the base
    QString user;
    QString password;
    QString caFile;
    int qos = 1;
    bool remoteControl = false;
    // Seconds of samples kept while the broker is away ("MqttQueueSeconds", default 60).
    double queueSeconds = 60;
    // Why the settings cannot be used ("" when they can); nothing is sent then.
    QString error;

    bool operator==(const tMqttConfig& o) const;
    bool operator!=(const tMqttConfig& o) const { return !(*this == o); }
};

tMqttConfig ReadMqttConfig(const tSettings& settings, const QString& port);
