#include "net/mqtt_publisher.h"

#include <QDateTime>

#include "app/log_file.h"
#include "app/settings.h"
#include "device/device.h"
#include "net/mqtt_link.h"

namespace {
constexpr int kStatusIntervalMs = 1000;
}

tMqttPublisher::tMqttPublisher(tMeasurement& measurement, tSettings* settings, QObject* parent)
    : QObject(parent), measurement_(measurement), settings_(settings) {
    statusTimer_.setInterval(kStatusIntervalMs);
    connect(&statusTimer_, &QTimer::timeout, this, [this] { PublishStatus(false); });
    measurement_.AddListener(this);
    Reconfigure();
}

tMqttPublisher::~tMqttPublisher() {
    measurement_.RemoveListener(this);
    FlushSamples();
    link_.reset();
}

QString tMqttPublisher::Topic(const char* leaf) const { return config_.topic + u'/' + QLatin1String(leaf); }

void tMqttPublisher::Reconfigure() {
    if (measurement_.Device()) port_ = measurement_.Device()->GetPortName();
    tMqttConfig config = ReadMqttConfig(*settings_, port_);
    if (config == config_ && (link_ || !config.enabled || port_.isEmpty() || !config.error.isEmpty())) return;
    FlushSamples();
    link_.reset();
    config_ = std::move(config);
    localProblem_.clear();
    statusTimer_.stop();
    if (!config_.enabled) return;
    if (!config_.error.isEmpty()) {
        Problem(config_.error);
        return;
    }
    // The topics name the ball: nothing is sent before a ball was connected once.
    if (port_.isEmpty()) return;
    tMqttLink::tOptions options;
    options.config = config_;
    options.willTopic = Topic("status");
    options.willPayload = OfflineStatusMessage();
    options.subscriptions = {Topic("marks/set")};
    if (config_.remoteControl) options.subscriptions << Topic("control/set");
    link_ = std::make_unique<tMqttLink>(
        options,
        [this](const QByteArray& topic, const QByteArray& payload) {
            QMetaObject::invokeMethod(this, [this, topic, payload] { Incoming(topic, payload); },
                                      Qt::QueuedConnection);
        },
        [](const QString& text) { LogFile->Write(QStringLiteral("MQTT: ") + text); });
    link_->SetFinalStatus(OfflineStatusMessage());
    sent_ = {};
    PublishStatus(true);
    statusTimer_.start();
}

tMqttPublisher::tView tMqttPublisher::View() const {
    tView view;
    view.configured = config_.enabled;
    view.broker = QStringLiteral("%1:%2").arg(config_.broker.host).arg(config_.broker.port);
    view.problem = localProblem_;
    if (link_) {
        const tMqttLink::tView link = link_->View();
        view.connected = link.state == tMqttLink::tState::Connected;
        if (view.problem.isEmpty()) view.problem = link.problem;
        view.undelivered = link.dropped;
        view.queued = link.queued;
    }
    return view;
}

QString tMqttPublisher::StatusText() const {
    const tView v = View();
    if (!v.configured) return QString();
    if (!link_ && !config_.error.isEmpty()) return QStringLiteral("MQTT: ") + config_.error;
    QString text = QStringLiteral("MQTT %1 %2, %3 not delivered")
                       .arg(v.broker, v.connected ? QStringLiteral("connected") : QStringLiteral("not connected"))
                       .arg(v.undelivered);
    if (v.queued > 0 && !v.connected) text += QStringLiteral(", %1 queued").arg(v.queued);
    if (!v.problem.isEmpty() && !v.connected) text += QStringLiteral(": ") + v.problem;
    return text;
}

// --- what is sent

void tMqttPublisher::MeasurementStarted() {
    Reconfigure();
    pending_.clear();
    nextSeq_ = pendingSeq_ = 0;
    record_ = QDateTime::currentMSecsSinceEpoch();
    lost_ = false;
    Event(QStringLiteral("start"), QString());
    PublishStatus(true);
}

void tMqttPublisher::ChunkDecoded(const tChunkResult& chunk) {
    if (!link_ || chunk.samples.empty()) return;
    if (pending_.empty()) pendingSeq_ = nextSeq_;
    pending_.insert(pending_.end(), chunk.samples.begin(), chunk.samples.end());
    nextSeq_ += static_cast<long long>(chunk.samples.size());
}

void tMqttPublisher::ChunksDrained() {
    FlushSamples();
    PublishStatus(false);
}

void tMqttPublisher::FlushSamples() {
    if (!link_ || pending_.empty()) return;
    link_->PostSamples(Topic("samples"), SamplesMessage(record_, pendingSeq_, pending_),
                       static_cast<int>(pending_.size()));
    pending_.clear();
}

void tMqttPublisher::MeasurementStopped() {
    FlushSamples();
    if (measurement_.IsConnected())
        Event(QStringLiteral("stop"), QStringLiteral("%1 lost, %2 damaged")
                                          .arg(measurement_.Clock().LostLines())
                                          .arg(measurement_.DamagedLines()));
    PublishStatus(true);
}

void tMqttPublisher::BallLost(double) {
    lost_ = true;
    PublishStatus(true);
}

void tMqttPublisher::BallReturned(bool) {
    lost_ = false;
    Reconfigure();
    PublishStatus(true);
}

void tMqttPublisher::PauseChanged(bool) { PublishStatus(true); }

void tMqttPublisher::MarkPlaced(const tEventMark& mark) {
    if (link_) link_->PostEvent(Topic("events"), MarkEventMessage(mark.number, mark.at, mark.label));
}

void tMqttPublisher::MarkLabelled(const tEventMark& mark) { MarkPlaced(mark); }

// The journal's events as it writes them; its marks go out with their fields (above), its
// clock lines stay at home.
void tMqttPublisher::EventNoted(const QString& kind, const QString& detail) {
    if (kind != u"mark" && kind != u"clock") Event(kind, detail);
}

void tMqttPublisher::BatteryRead(int) {
    // The first sign of a connected ball: its port names the topics.
    Reconfigure();
    PublishStatus(false);
}

void tMqttPublisher::Event(const QString& kind, const QString& detail) {
    if (link_) link_->PostEvent(Topic("events"), EventMessage(kind, detail));
}

tMqttStatus tMqttPublisher::CurrentStatus() const {
    tMqttStatus s;
    if (measurement_.IsMeasuring())
        s.state = measurement_.IsPaused() ? QStringLiteral("paused") : QStringLiteral("measuring");
    else if (lost_ && measurement_.IsWatchingForBall())
        s.state = QStringLiteral("lost");
    else
        s.state = measurement_.IsConnected() ? QStringLiteral("connected") : QStringLiteral("disconnected");
    s.port = port_;
    s.battery = measurement_.Battery();
    s.lostLines = measurement_.Clock().LostLines();
    s.damagedLines = measurement_.DamagedLines();
    s.samples = measurement_.Samples();
    if (link_) s.undelivered = link_->View().dropped;
    return s;
}

void tMqttPublisher::PublishStatus(bool force) {
    if (!link_) return;
    const tMqttStatus status = CurrentStatus();
    // The count of samples alone does not make a new status: the samples topic tells it.
    tMqttStatus compared = status;
    compared.samples = sent_.samples;
    if (!force && compared == sent_) return;
    sent_ = status;
    link_->PostStatus(Topic("status"), StatusMessage(status));
}

// --- what comes in

void tMqttPublisher::Problem(const QString& text) {
    localProblem_ = text;
    LogFile->Write(QStringLiteral("MQTT: ") + text);
}

void tMqttPublisher::Incoming(const QByteArray& topic, const QByteArray& payload) {
    const QByteArray base = config_.topic.toUtf8() + '/';
    if (!link_ || !topic.startsWith(base)) return;
    const tRemoteCommand command = ParseRemoteCommand(topic.mid(base.size()), payload, config_.remoteControl);
    if (!command.error.isEmpty()) {
        Problem(QStringLiteral("refused a message on %1: %2").arg(QString::fromUtf8(topic), command.error));
        return;
    }
    switch (command.kind) {
        case tRemoteCommand::Mark:
            PlaceMark(command.label);
            break;
        case tRemoteCommand::Start:
        case tRemoteCommand::Stop: {
            const bool start = command.kind == tRemoteCommand::Start;
            LogFile->Write(QStringLiteral("MQTT: remote %1").arg(start ? "start" : "stop"));
            if (remoteStartStop)
                remoteStartStop(start);
            else if (start)
                measurement_.Start();
            else if (measurement_.IsMeasuring())
                measurement_.Stop();
            break;
        }
        case tRemoteCommand::None:
            break;
    }
}

void tMqttPublisher::PlaceMark(const QString& label) {
    const std::optional<int> number = measurement_.Mark(label);
    if (!number) {
        Problem(QStringLiteral("no mark placed for \"%1\": no measurement runs").arg(label));
        return;
    }
    LogFile->Write(QStringLiteral("MQTT: mark %1 \"%2\" from the network").arg(*number).arg(label));
}
