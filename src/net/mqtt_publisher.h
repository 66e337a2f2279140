#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "model/sample_decoder.h"
#include "net/mqtt_config.h"
#include "net/mqtt_messages.h"
#include "session/measurement.h"

class tMqttLink;
class tSettings;

// Sends one ball's measurement to an MQTT broker as it happens: its samples, its status
// (retained) and its events, under the topic base of the settings; takes marks (and, when the
// settings allow it, start and stop) from "<base>/marks/set" and "<base>/control/set". Nothing
// goes to the network until "MqttBroker" is set. It listens to the measurement like the window
// and the recorder do, on the measurement's thread; the network runs on a thread of its own, so
// that a slow or absent broker never holds the drain up.
//
// Attach it with
//     tMqttPublisher mqtt(measurement, settings);   // adds itself as a listener
//     ... mqtt.StatusText() ...                      // for a status line
// and let it go before the measurement.
class tMqttPublisher : public QObject, public tMeasurementListener {
public:
    tMqttPublisher(tMeasurement& measurement, tSettings* settings, QObject* parent = nullptr);
    ~tMqttPublisher() override;

    // Reads the settings again; a changed broker, topic or login starts a new connection.
    void Reconfigure();

    // What the network does, for the status bar and the recorder's status line.
    struct tView {
        bool configured = false;  // "MqttBroker" is set
        bool connected = false;
        QString broker;           // "host:port"
        QString problem;          // the last error, "" when none
        long long undelivered = 0;  // samples dropped for good
        long long queued = 0;       // samples waiting for the broker
    };
    tView View() const;
    // One line: "MQTT host:port connected, 0 not delivered" or the error.
    QString StatusText() const;
    const tMqttConfig& Config() const { return config_; }

    // Start and stop from the network, when the settings allow them: the window routes them
    // through its own commands; without a handler the measurement is driven directly.
    std::function<void(bool start)> remoteStartStop;

    // --- tMeasurementListener
    void MeasurementStarted() override;
    void ChunkDecoded(const tChunkResult& chunk) override;
    void ChunksDrained() override;
    void MeasurementStopped() override;
    void BallLost(double at) override;
    void BallReturned(bool continues) override;
    void BatteryRead(int level) override;
    void PauseChanged(bool paused) override;
    void MarkPlaced(const tEventMark& mark) override;
    void MarkLabelled(const tEventMark& mark) override;
    void EventNoted(const QString& kind, const QString& detail) override;

private:
    void FlushSamples();
    void Event(const QString& kind, const QString& detail);
    void PublishStatus(bool force);
    tMqttStatus CurrentStatus() const;
    void Incoming(const QByteArray& topic, const QByteArray& payload);
    void Problem(const QString& text);
    void PlaceMark(const QString& label);
    QString Topic(const char* leaf) const;

    tMeasurement& measurement_;
    tSettings* settings_;
    tMqttConfig config_;
    QString port_;
    std::unique_ptr<tMqttLink> link_;
    QTimer statusTimer_;
    QString localProblem_;  // of the settings or of a command from the network

    std::vector<tSample> pending_;
    long long pendingSeq_ = 0;
    long long nextSeq_ = 0;
    qint64 record_ = 0;
    bool lost_ = false;
    tMqttStatus sent_;
};
