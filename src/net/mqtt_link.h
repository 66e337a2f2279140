#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "net/mqtt_config.h"

// One connection to a broker, run on a thread of its own through libmosquitto. The caller
// posts messages and returns at once: the link never blocks the poster on the network.
//
// Order and loss: every message goes through one queue, oldest first, and is handed to the
// library only while the broker has accepted the connection, a few at a time. A message leaves
// the queue when the broker acknowledged it (QoS 1 and 2) or it was written (QoS 0). When the
// connection drops, the client is thrown away with whatever it held, and everything not yet
// acknowledged goes out again, in order, after the reconnect; so a subscriber sees every
// message at least once, a few perhaps twice, never out of order. Samples queue for at most
// `queueSeconds` of their posting: beyond, the oldest that were not handed over yet are dropped
// and counted. Events are never dropped (beyond a large bound), the status is only its latest.
class tMqttLink {
public:
    enum class tState { Connecting, Connected, Down };
    struct tView {
        tState state = tState::Connecting;
        QString problem;             // the last error ("" after a good connect)
        long long dropped = 0;       // samples dropped for good
        long long queued = 0;        // samples posted and not acknowledged yet
        long long delivered = 0;     // samples acknowledged
        long long droppedEvents = 0;
    };
    struct tOptions {
        tMqttConfig config;
        QString willTopic;      // the status topic, which the last will sets to offline
        QByteArray willPayload;
        QStringList subscriptions;
        int keepAliveSeconds = 10;
    };
    // Called on the link's thread: a message on a subscribed topic; a problem to report once.
    using tIncoming = std::function<void(const QByteArray& topic, const QByteArray& payload)>;
    using tProblem = std::function<void(const QString& text)>;

    tMqttLink(tOptions options, tIncoming incoming, tProblem problem);
    // Sends the final status, if given and connected, and disconnects cleanly (no last will).
    ~tMqttLink();
    tMqttLink(const tMqttLink&) = delete;
    tMqttLink& operator=(const tMqttLink&) = delete;

    void PostSamples(const QString& topic, const QByteArray& payload, int samples);
    void PostEvent(const QString& topic, const QByteArray& payload);
    // Retained; a newer status replaces one not sent yet.
    void PostStatus(const QString& topic, const QByteArray& payload);
    // The status sent as the link closes.
    void SetFinalStatus(const QByteArray& payload);

    tView View() const;

private:
    struct tShared;
    std::shared_ptr<tShared> shared_;
};
