#include "net/mqtt_link.h"

#include <mosquitto.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {
// Messages handed to the library and not acknowledged yet, at most.
constexpr int kWindow = 16;
// Events kept while the broker is away, at most.
constexpr int kMaxEvents = 10000;
// How long a closing link goes on sending what it holds, and waits for its thread.
constexpr auto kCloseFlush = std::chrono::milliseconds(2000);
constexpr auto kCloseWait = std::chrono::milliseconds(5000);
constexpr int kPollMs = 1000;

using tClock = std::chrono::steady_clock;

struct tEntry {
    QByteArray topic;
    QByteArray payload;
    int samples = 0;  // 0: an event or the status, never dropped
    bool retain = false;
    tClock::time_point posted;
    int mid = -1;  // -1 not handed over; -2 being handed over
    bool acked = false;
};

// What the library's callbacks report; they run on the link's thread only.
struct tSession {
    std::vector<int> acks;
    std::vector<std::pair<QByteArray, QByteArray>> incoming;
    int connack = -1;
    bool lost = false;
    QString libraryError;
};

std::once_flag libraryInit;
std::atomic<int> clientCounter{0};

void OnConnect(mosquitto*, void* user, int rc) { static_cast<tSession*>(user)->connack = rc; }
void OnDisconnect(mosquitto*, void* user, int) { static_cast<tSession*>(user)->lost = true; }
void OnPublish(mosquitto*, void* user, int mid) { static_cast<tSession*>(user)->acks.push_back(mid); }
void OnMessage(mosquitto*, void* user, const mosquitto_message* m) {
    static_cast<tSession*>(user)->incoming.emplace_back(
        QByteArray(m->topic), QByteArray(static_cast<const char*>(m->payload), m->payloadlen));
}
void OnLog(mosquitto*, void* user, int level, const char* text) {
    if (level == MOSQ_LOG_ERR) static_cast<tSession*>(user)->libraryError = QString::fromUtf8(text);
}
}  // namespace

struct tMqttLink::tShared {
    tOptions options;
    tIncoming incoming;
    tProblem problem;
    int wakeFd = -1;

    mutable std::mutex mutex;
    std::condition_variable changed;
    std::deque<tEntry> queue;
    std::optional<tEntry> status;  // the newest status not handed over yet
    QByteArray statusTopic;
    QByteArray finalStatus;
    bool stop = false;
    bool finished = false;
    int events = 0;
    tView view;
    QString reported;
    bool refused = false;  // the last attempt was refused (login, certificate), not unanswered

    void Wake() const {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }

    // Under the lock: the oldest samples not handed over that waited longer than the bound.
    void DropOld(tClock::time_point now) {
        const auto bound = std::chrono::duration<double>(options.config.queueSeconds);
        for (auto it = queue.begin(); it != queue.end();) {
            if (it->mid != -1 || it->samples == 0 || it->acked) {
                ++it;
                continue;
            }
            if (now - it->posted <= bound) break;
            view.dropped += it->samples;
            view.queued -= it->samples;
            it = queue.erase(it);
        }
    }

    void Report(const QString& text) {
        {
            std::lock_guard lock(mutex);
            view.problem = text;
            if (text == reported) return;
            reported = text;
        }
        if (!text.isEmpty()) Tell(text);
    }

    // The callbacks are copied under the lock: a closing link may have cut them off.
    void Tell(const QString& text) {
        tProblem call;
        {
            std::lock_guard lock(mutex);
            call = problem;
        }
        if (call) call(text);
    }

    void Run();
    bool Connect(mosquitto* mosq, tSession& session);
    bool Serve(mosquitto* mosq, tSession& session);
    void Settle(tSession& session);
    bool HandOut(mosquitto* mosq);
    void Close(mosquitto* mosq, tSession& session);
    void Unhand();
    bool WaitBeforeRetry(int attempt);
};

void tMqttLink::tShared::Run() {
    pthread_setname_np(pthread_self(), "mqtt-link");
    std::call_once(libraryInit, [] { mosquitto_lib_init(); });
    const QByteArray host = options.config.broker.host.toUtf8();
    int attempt = 0;
    while (true) {
        {
            std::lock_guard lock(mutex);
            if (stop) break;
            view.state = tState::Connecting;
        }
        const QByteArray id = QByteArray("mirelvane-") + QByteArray::number(QCoreApplication::applicationPid()) +
                              '-' + QByteArray::number(++clientCounter);
        tSession session;
        mosquitto* mosq = mosquitto_new(id.constData(), true, &session);
        if (!mosq) {
            Report(QStringLiteral("the MQTT client could not be created"));
            if (!WaitBeforeRetry(++attempt)) break;
            continue;
        }
        refused = false;
        const bool served = Connect(mosq, session) && Serve(mosq, session);
        Unhand();
        mosquitto_destroy(mosq);
        // An absent broker is tried again every second; one that refuses, seldom.
        attempt = served || !refused ? 0 : attempt + 1;
        {
            std::lock_guard lock(mutex);
            if (stop) break;
            view.state = tState::Down;
        }
        if (!WaitBeforeRetry(attempt)) break;
    }
    std::lock_guard lock(mutex);
    finished = true;
    changed.notify_all();
}

bool tMqttLink::tShared::Connect(mosquitto* mosq, tSession& session) {
    const tMqttConfig& c = options.config;
    mosquitto_int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(mosq, OnConnect);
    mosquitto_disconnect_callback_set(mosq, OnDisconnect);
    mosquitto_publish_callback_set(mosq, OnPublish);
    mosquitto_message_callback_set(mosq, OnMessage);
    mosquitto_log_callback_set(mosq, OnLog);
    if (!c.user.isEmpty())
        mosquitto_username_pw_set(mosq, c.user.toUtf8().constData(),
                                  c.password.isEmpty() ? nullptr : c.password.toUtf8().constData());
    if (c.broker.tls) {
        const QByteArray ca = c.caFile.toLocal8Bit();
        const int rc = ca.isEmpty() ? mosquitto_tls_set(mosq, nullptr, "/etc/ssl/certs", nullptr, nullptr, nullptr)
                                    : mosquitto_tls_set(mosq, ca.constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            Report(QStringLiteral("TLS cannot be set up: %1").arg(QString::fromUtf8(mosquitto_strerror(rc))));
            return false;
        }
    }
    mosquitto_will_set(mosq, options.willTopic.toUtf8().constData(), static_cast<int>(options.willPayload.size()),
                       options.willPayload.constData(), 1, true);
    const QString where = QStringLiteral("%1:%2").arg(c.broker.host).arg(c.broker.port);
    const int rc = mosquitto_connect(mosq, c.broker.host.toUtf8().constData(), c.broker.port, options.keepAliveSeconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        QString why = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(strerror(errno))
                                           : QString::fromUtf8(mosquitto_strerror(rc));
        if (!session.libraryError.isEmpty()) why += QStringLiteral(" (") + session.libraryError + u')';
        refused = rc == MOSQ_ERR_TLS;
        Report(QStringLiteral("no connection to the broker %1: %2").arg(where, why));
        return false;
    }
    return true;
}

// Runs one connection until it drops or the link stops; true when the broker had accepted it.
bool tMqttLink::tShared::Serve(mosquitto* mosq, tSession& session) {
    const tMqttConfig& c = options.config;
    const QString where = QStringLiteral("%1:%2").arg(c.broker.host).arg(c.broker.port);
    bool accepted = false;
    std::optional<tClock::time_point> closing;
    while (true) {
        if (session.connack == 0 && !accepted) {
            accepted = true;
            for (const QString& topic : options.subscriptions)
                mosquitto_subscribe(mosq, nullptr, topic.toUtf8().constData(), 1);
            {
                std::lock_guard lock(mutex);
                view.state = tState::Connected;
            }
            Report(QString());
            Tell(QStringLiteral("connected to the broker %1").arg(where));
        } else if (session.connack > 0) {
            refused = true;
            Report(QStringLiteral("the broker %1 refused the connection: %2")
                       .arg(where, QString::fromUtf8(mosquitto_connack_string(session.connack))));
            return false;
        }
        Settle(session);
        bool idle = true;
        {
            std::lock_guard lock(mutex);
            if (stop && !closing) closing = tClock::now();
            if (closing && (!accepted || (queue.empty() && !status) || tClock::now() - *closing > kCloseFlush)) break;
        }
        if (accepted) idle = !HandOut(mosq);
        if (session.lost) break;
        const int sock = mosquitto_socket(mosq);
        if (sock < 0) break;
        pollfd fds[2] = {{sock, static_cast<short>(POLLIN | (mosquitto_want_write(mosq) ? POLLOUT : 0)), 0},
                         {wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, idle ? kPollMs : 0) < 0 && errno != EINTR) break;
        if (fds[1].revents & POLLIN) {
            uint64_t count = 0;
            [[maybe_unused]] const ssize_t n = ::read(wakeFd, &count, sizeof count);
        }
        int rc = MOSQ_ERR_SUCCESS;
        if (fds[0].revents & (POLLIN | POLLERR | POLLHUP)) rc = mosquitto_loop_read(mosq, 1);
        if (rc == MOSQ_ERR_SUCCESS && (fds[0].revents & POLLOUT)) rc = mosquitto_loop_write(mosq, 1);
        if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_loop_misc(mosq);
        if (rc != MOSQ_ERR_SUCCESS || session.lost) {
            if (session.connack > 0) continue;  // a refusal is told above
            Settle(session);
            QString why = QString::fromUtf8(mosquitto_strerror(rc == MOSQ_ERR_SUCCESS ? MOSQ_ERR_CONN_LOST : rc));
            if (!session.libraryError.isEmpty()) why += QStringLiteral(" (") + session.libraryError + u')';
            refused = rc == MOSQ_ERR_TLS;
            Report(accepted ? QStringLiteral("the connection to the broker %1 was lost: %2").arg(where, why)
                            : QStringLiteral("no connection to the broker %1: %2").arg(where, why));
            return accepted;
        }
    }
    if (accepted && !session.lost) Close(mosq, session);
    return accepted;
}

// Takes what the callbacks reported: acknowledgements and incoming messages.
void tMqttLink::tShared::Settle(tSession& session) {
    if (!session.acks.empty()) {
        std::lock_guard lock(mutex);
        for (const int mid : session.acks) {
            for (tEntry& entry : queue) {
                if (entry.mid == mid) {
                    entry.acked = true;
                    break;
                }
            }
        }
        session.acks.clear();
        while (!queue.empty() && queue.front().acked) {
            view.delivered += queue.front().samples;
            view.queued -= queue.front().samples;
            if (queue.front().samples == 0 && queue.front().topic != statusTopic) --events;
            queue.pop_front();
        }
    }
    if (session.incoming.empty()) return;
    tIncoming call;
    {
        std::lock_guard lock(mutex);
        call = incoming;
    }
    for (const auto& [topic, payload] : session.incoming)
        if (call) call(topic, payload);
    session.incoming.clear();
}

// Hands the oldest messages over, a window at a time; true when it handed any.
bool tMqttLink::tShared::HandOut(mosquitto* mosq) {
    const int qos = options.config.qos;
    bool handed = false;
    while (true) {
        tEntry* next = nullptr;
        QByteArray topic, payload;
        bool retain = false;
        {
            std::lock_guard lock(mutex);
            DropOld(tClock::now());
            // The newest status goes into the queue where it stands in time.
            if (status) {
                queue.push_back(*status);
                status.reset();
            }
            int inFlight = 0;
            for (tEntry& entry : queue) {
                if (entry.acked) continue;
                if (entry.mid >= 0) {
                    ++inFlight;
                    continue;
                }
                if (inFlight < kWindow) next = &entry;
                break;
            }
            if (!next) return handed;
            next->mid = -2;
            topic = next->topic;
            payload = next->payload;
            retain = next->retain;
        }
        int mid = 0;
        const int rc = mosquitto_publish(mosq, &mid, topic.constData(), static_cast<int>(payload.size()),
                                         payload.constData(), qos, retain);
        std::lock_guard lock(mutex);
        // Nothing removes an entry being handed over, so `next` still stands.
        next->mid = rc == MOSQ_ERR_SUCCESS ? mid : -1;
        if (rc != MOSQ_ERR_SUCCESS) return handed;
        handed = true;
    }
}

// After a dropped connection the new client sends again what the old one held.
void tMqttLink::tShared::Unhand() {
    std::lock_guard lock(mutex);
    for (tEntry& entry : queue)
        if (!entry.acked) entry.mid = -1;
}

// A clean end: the final status, then the broker is told, so that the last will stays unsent.
void tMqttLink::tShared::Close(mosquitto* mosq, tSession& session) {
    QByteArray final;
    {
        std::lock_guard lock(mutex);
        final = finalStatus;
    }
    if (!final.isEmpty())
        mosquitto_publish(mosq, nullptr, statusTopic.constData(), static_cast<int>(final.size()), final.constData(),
                          1, true);
    mosquitto_disconnect(mosq);
    const auto until = tClock::now() + std::chrono::milliseconds(500);
    while (mosquitto_want_write(mosq) && tClock::now() < until && !session.lost) {
        pollfd fd{mosquitto_socket(mosq), POLLOUT, 0};
        if (fd.fd < 0 || ::poll(&fd, 1, 100) < 0) break;
        if (mosquitto_loop_write(mosq, 1) != MOSQ_ERR_SUCCESS) break;
    }
}

bool tMqttLink::tShared::WaitBeforeRetry(int attempt) {
    // Soon after a lost connection, seldom when the broker keeps refusing.
    const int seconds = attempt <= 1 ? 1 : std::min(1 << std::min(attempt - 1, 4), 16);
    std::unique_lock lock(mutex);
    return !changed.wait_for(lock, std::chrono::seconds(seconds), [this] { return stop; });
}

tMqttLink::tMqttLink(tOptions options, tIncoming incoming, tProblem problem)
    : shared_(std::make_shared<tShared>()) {
    shared_->options = std::move(options);
    shared_->incoming = std::move(incoming);
    shared_->problem = std::move(problem);
    shared_->statusTopic = shared_->options.willTopic.toUtf8();
    shared_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::thread([shared = shared_] { shared->Run(); }).detach();
}

tMqttLink::~tMqttLink() {
    std::unique_lock lock(shared_->mutex);
    shared_->stop = true;
    shared_->changed.notify_all();
    shared_->Wake();
    // A thread stuck in a connect to a host that does not answer ends on its own later; it
    // keeps the shared state alive and tells nobody any more.
    if (!shared_->changed.wait_for(lock, kCloseWait, [this] { return shared_->finished; })) {
        shared_->incoming = nullptr;
        shared_->problem = nullptr;
        return;
    }
    lock.unlock();
    ::close(shared_->wakeFd);
}

void tMqttLink::PostSamples(const QString& topic, const QByteArray& payload, int samples) {
    const auto now = tClock::now();
    {
        std::lock_guard lock(shared_->mutex);
        shared_->queue.push_back({topic.toUtf8(), payload, samples, false, now});
        shared_->view.queued += samples;
        shared_->DropOld(now);
    }
    shared_->Wake();
}

void tMqttLink::PostEvent(const QString& topic, const QByteArray& payload) {
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->events >= kMaxEvents) {
            for (auto it = shared_->queue.begin(); it != shared_->queue.end(); ++it) {
                if (it->samples == 0 && it->mid == -1 && !it->acked && it->topic != shared_->statusTopic) {
                    shared_->queue.erase(it);
                    --shared_->events;
                    ++shared_->view.droppedEvents;
                    break;
                }
            }
        }
        shared_->queue.push_back({topic.toUtf8(), payload, 0, false, tClock::now()});
        ++shared_->events;
    }
    shared_->Wake();
}

void tMqttLink::PostStatus(const QString& topic, const QByteArray& payload) {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->statusTopic = topic.toUtf8();
        shared_->status = tEntry{topic.toUtf8(), payload, 0, true, tClock::now()};
    }
    shared_->Wake();
}

void tMqttLink::SetFinalStatus(const QByteArray& payload) {
    std::lock_guard lock(shared_->mutex);
    shared_->finalStatus = payload;
}

tMqttLink::tView tMqttLink::View() const {
    std::lock_guard lock(shared_->mutex);
    return shared_->view;
}
