#include "record/recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <cerrno>
#include <cstdio>

#include "app/settings.h"
#include "app/steady_clock.h"
#include "app/termination_signals.h"
#include "base/exceptions.h"
#include "device/device_connector.h"
#include "device/port_list.h"
#include "model/record_journal.h"
#include "net/mqtt_publisher.h"
#include "record/record_export.h"
#include "session/measurement.h"

namespace {
constexpr int kStatusMs = 1000;

const int kAccRanges[] = {16, 8, 4, 2};
const char* const kAccEntries[] = {"± 16g", "± 8g", "± 4g", "± 2g"};
const int kGyroRanges[] = {2000, 1000, 500, 250, 125};
const char* const kGyroEntries[] = {"2000 °/сек", "1000 °/сек", "500 °/сек", "250 °/сек",
                                    "125 °/сек"};

void Print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

QString Reason(const tPortFailure& f) {
    switch (f.kind) {
        case tPortFailure::AccessGroup:
            return QStringLiteral("permission denied; join the group %1 (sudo adduser $USER %1), "
                                  "then log in again").arg(f.group);
        case tPortFailure::AccessOwner:
            return QStringLiteral("permission denied; only %1 may open it").arg(f.owner);
        case tPortFailure::AccessRelogin:
            return QStringLiteral("permission denied; log out and in again to use the group %1").arg(f.group);
        case tPortFailure::Busy:
            return QStringLiteral("in use by another program");
        case tPortFailure::NoReply:
            return QStringLiteral("no reply");
        case tPortFailure::WrongReply:
            return QStringLiteral("the reply is not a ball's");
        case tPortFailure::Other:
            break;
    }
    return f.detail.isEmpty() ? QStringLiteral("no ball") : f.detail;
}

// Index of a value in a list of ranges, -1 when absent.
template <size_t N>
int IndexOf(const int (&list)[N], const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    for (size_t i = 0; ok && i < N; ++i)
        if (list[i] == value) return int(i);
    return -1;
}
}  // namespace

// One ball: its settings, its measurement and what the recorder hears of it.
struct tRecorder::tBall : tMeasurementListener {
    tBall(tRecorder& r, int n, std::unique_ptr<tSettings> s, const QString& programPath)
        : recorder(r),
          number(n),
          settings(std::move(s)),
          session(settings.get(), programPath),
          mqtt(std::make_unique<tMqttPublisher>(session, settings.get())) {
        session.AddListener(this);
    }
    ~tBall() override { session.RemoveListener(this); }

    QString Who() const { return QStringLiteral("ball %1 (%2)").arg(number).arg(port); }
    void Tell(const QString& text) { recorder.Event(Who() + QStringLiteral(": ") + text); }

    void JournalOpened(const QString& path) override {
        journal = path;
        Tell(QStringLiteral("journal %1").arg(path));
    }
    void JournalFailed(const QString& reason) override { recorder.JournalFailedFor(*this, reason); }
    void BallLost(double at) override {
        lost = true;
        Tell(QStringLiteral("lost at %1 s%2").arg(at, 0, 'f', 3)
                 .arg(session.IsWatchingForBall() ? QStringLiteral("; waiting for it to come back")
                                                  : QString()));
        recorder.BallLostFor(*this);
    }
    void BallReturned(bool) override {
        lost = false;
        Tell(QStringLiteral("back"));
    }
    void GapPlaced(double from, double to) override {
        Tell(QStringLiteral("gap from %1 s to %2 s").arg(from, 0, 'f', 3).arg(to, 0, 'f', 3));
    }
    void RestartPlaced(double at) override {
        Tell(QStringLiteral("the ball's clock restarted; record goes on at %1 s").arg(at, 0, 'f', 3));
    }
    void ChunksDrained() override { recorder.CheckEnd(); }
    void MarkPlaced(const tEventMark& mark) override {
        Tell(QStringLiteral("mark %1 at %2 s: %3").arg(mark.number).arg(mark.at, 0, 'f', 3).arg(mark.label));
    }

    QString State() const {
        if (session.IsMeasuring()) return session.IsPaused() ? QStringLiteral("paused") : QStringLiteral("recording");
        if (session.IsWatchingForBall()) return QStringLiteral("lost, waiting");
        return lost ? QStringLiteral("lost") : QStringLiteral("stopped");
    }

    tRecorder& recorder;
    int number;
    QString port;
    std::unique_ptr<tSettings> settings;
    tMeasurement session;
    // The live samples to the lab's broker, when the settings name one; it goes before the
    // measurement it listens to.
    std::unique_ptr<tMqttPublisher> mqtt;
    QString journal;
    bool lost = false;
    bool lostAtEnd = false;
};

tRecorder::tRecorder(const tRecordOptions& options, const QString& programPath)
    : options_(options), programPath_(programPath) {
    status_.setInterval(kStatusMs);
    connect(&status_, &QTimer::timeout, this, &tRecorder::PrintStatus);
    duration_.setSingleShot(true);
    connect(&duration_, &QTimer::timeout, this, [this] { Finish(QStringLiteral("the duration has passed")); });
}

tRecorder::~tRecorder() = default;

void tRecorder::Event(const QString& text) {
    Print(stdout, QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + text);
}

void tRecorder::Error(const QString& text) { Print(stderr, QStringLiteral("mirelvane-record: ") + text); }

bool tRecorder::LoadSettings(QString& error) {
    settings_ = std::make_unique<tSettings>(true);
    if (options_.config.isEmpty()) return true;
    const QFileInfo info(options_.config);
    if (!info.isFile() || !info.isReadable()) {
        error = QStringLiteral("--config %1: no such readable file").arg(options_.config);
        return false;
    }
    try {
        settings_->Load(info.absoluteFilePath());
    } catch (const Exception& e) {
        error = QStringLiteral("--config %1: %2").arg(options_.config, e.Message());
        return false;
    }
    // The ranges and the relative channels are checked before any ball is touched.
    const QString acc = settings_->GetSettingByName(QStringLiteral("AccRange"));
    if (!acc.isEmpty() && IndexOf(kAccRanges, acc) < 0) {
        error = QStringLiteral("AccRange is 16, 8, 4 or 2, not \"%1\"").arg(acc);
        return false;
    }
    const QString gyro = settings_->GetSettingByName(QStringLiteral("GyroRange"));
    if (!gyro.isEmpty() && IndexOf(kGyroRanges, gyro) < 0) {
        error = QStringLiteral("GyroRange is 2000, 1000, 500, 250 or 125, not \"%1\"").arg(gyro);
        return false;
    }
    const QString relative = settings_->GetSettingByName(QStringLiteral("Relative"));
    for (const QString& name : relative.split(QRegularExpression(QStringLiteral("[,; ]+")), Qt::SkipEmptyParts)) {
        bool known = false;
        for (int k = 0; k < kChannelCount; ++k) known |= name == QLatin1String(kDataChannelNames[k]);
        if (!known) {
            error = QStringLiteral("Relative names channels among acc_x ... angle_z, not \"%1\"").arg(name);
            return false;
        }
    }
    return true;
}

std::unique_ptr<tSettings> tRecorder::BallSettings(const QString& port) const {
    auto settings = std::make_unique<tSettings>(true);
    settings_->AssignTo(*settings);
    if (!port.isEmpty()) settings->SetSettingByName(QStringLiteral("Ports"), port);
    // A BIDS dataset keeps the journals as its source data.
    settings->SetSettingByName(QStringLiteral("RecordFolder"),
                               options_.format == tRecordOptions::Bids
                                   ? QDir(out_).filePath(QStringLiteral("sourcedata"))
                                   : out_);
    // Journals beside a user's other files are kept unless the settings say otherwise.
    if (settings_->GetSettingByName(QStringLiteral("RecordKeep")).isEmpty())
        settings->SetSettingByName(QStringLiteral("RecordKeep"), QStringLiteral("0"));
    return settings;
}

bool tRecorder::ConnectBall(const QString& port, bool named) {
    auto ball = std::make_unique<tBall>(*this, int(balls_.size()) + 1, BallSettings(port), programPath_);
    tDeviceConnector connector(ball->settings.get());
    tMeasurement& session = ball->session;
    connector.SetBatteryStep([&session](tDevice&) { session.ReadBattery(); });
    const QString failure = session.Connect(connector);
    if (!failure.isEmpty()) {
        if (named || !port.isEmpty()) {
            QString why;
            for (const tPortFailure& f : connector.PortFailures()) why = Reason(f);
            if (named) Error(QStringLiteral("no ball on %1: %2").arg(port, why.isEmpty() ? failure : why));
        } else {
            for (const tPortFailure& f : connector.PortFailures())
                Error(QStringLiteral("%1: %2").arg(f.port, Reason(f)));
        }
        return false;
    }
    ball->port = session.Device()->GetPortName();
    QString error;
    if (!ApplySettings(*ball, error)) {
        Error(ball->Who() + QStringLiteral(": ") + error);
        return false;
    }
    ball->Tell(QStringLiteral("connected, battery %1 %").arg(session.Battery()));
    balls_.push_back(std::move(ball));
    return true;
}

bool tRecorder::ApplySettings(tBall& ball, QString& error) {
    const QString acc = settings_->GetSettingByName(QStringLiteral("AccRange"));
    if (!acc.isEmpty()) {
        const int index = IndexOf(kAccRanges, acc);
        if (ball.session.SetAccRange(index, QString::fromUtf8(kAccEntries[index])) <= 0) {
            error = QStringLiteral("the ball did not take AccRange=%1").arg(acc);
            return false;
        }
    }
    const QString gyro = settings_->GetSettingByName(QStringLiteral("GyroRange"));
    if (!gyro.isEmpty()) {
        const int index = IndexOf(kGyroRanges, gyro);
        if (ball.session.SetGyroRange(index, QString::fromUtf8(kGyroEntries[index])) <= 0) {
            error = QStringLiteral("the ball did not take GyroRange=%1").arg(gyro);
            return false;
        }
    }
    const QStringList relative = settings_->GetSettingByName(QStringLiteral("Relative"))
                                     .split(QRegularExpression(QStringLiteral("[,; ]+")), Qt::SkipEmptyParts);
    for (int k = 0; k < kChannelCount; ++k)
        ball.session.SetRelative(k, relative.contains(QLatin1String(kDataChannelNames[k])));
    return true;
}

int tRecorder::ConnectBalls() {
    if (!options_.ports.isEmpty()) {
        for (const QString& port : options_.ports)
            if (!ConnectBall(port, true)) return kExitNoBall;
        return kExitDone;
    }
    if (!options_.all) {
        if (!ConnectBall(QString(), false)) {
            Error(QStringLiteral("no ball found"));
            return kExitNoBall;
        }
        return kExitDone;
    }
    tPortList ports(settings_.get());
    QStringList paths;
    if (ports.OpenKey())
        for (const QString& name : ports.GetValueNames()) paths << ports.ReadString(name);
    for (const QString& path : paths) ConnectBall(path, false);
    if (balls_.empty()) {
        Error(paths.isEmpty() ? QStringLiteral("no serial port to probe") : QStringLiteral("no ball found"));
        return kExitNoBall;
    }
    return kExitDone;
}

int tRecorder::Prepare() {
    QString error;
    if (!LoadSettings(error)) {
        Error(error);
        return kExitUsage;
    }
    QDir out(options_.out);
    if (!QDir().mkpath(out.absolutePath())) {
        Error(QStringLiteral("cannot create the folder %1").arg(options_.out));
        return kExitFileFailed;
    }
    out_ = QDir(out.absolutePath()).canonicalPath();
    return ConnectBalls();
}

void tRecorder::Start() {
    signals_ = std::make_unique<tTerminationSignals>();
    connect(signals_.get(), &tTerminationSignals::received, this, [this](int signal) {
        Finish(QStringLiteral("ended by %1").arg(tTerminationSignals::Name(signal)),
               tTerminationSignals::Name(signal));
    });
    // Standard input, when it is open: a pipe, a terminal, or /dev/null (which ends at once).
    if (::fcntl(STDIN_FILENO, F_GETFD) != -1) {
        input_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(input_.get(), &QSocketNotifier::activated, this, &tRecorder::ReadInput);
    }
    for (auto& ball : balls_) {
        ball->session.Start();
        if (finished_) return;
    }
    clock_.start();
    statusLines_ = !options_.quiet && ::isatty(STDOUT_FILENO);
    if (statusLines_) status_.start();
    if (options_.duration > 0) duration_.start(int(options_.duration * 1000));
    Event(QStringLiteral("recording %1 ball%2").arg(balls_.size()).arg(balls_.size() == 1 ? "" : "s"));
}

void tRecorder::ReadInput() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    std::vector<tRecordCommand> commands;
    if (n <= 0) {
        input_->setEnabled(false);
        commands = commands_.Finish();
        if (!options_.quiet) Event(QStringLiteral("standard input ended; recording goes on"));
    } else {
        commands = commands_.Feed(buffer, n);
    }
    for (const tRecordCommand& command : commands) {
        if (finished_) break;
        Handle(command);
    }
}

void tRecorder::Handle(const tRecordCommand& command) {
    switch (command.kind) {
        case tRecordCommand::Invalid:
            Error(command.text);
            return;
        case tRecordCommand::Stop:
            Finish(QStringLiteral("stopped by command"));
            return;
        case tRecordCommand::Pause:
        case tRecordCommand::Resume: {
            const bool pause = command.kind == tRecordCommand::Pause;
            for (auto& ball : balls_)
                if (ball->session.IsMeasuring()) ball->session.SetPaused(pause);
            Event(pause ? QStringLiteral("paused") : QStringLiteral("resumed"));
            return;
        }
        case tRecordCommand::Mark: {
            // One instant for every ball, on the host's clock, mapped onto each record.
            const double now = SteadySeconds();
            bool placed = false;
            for (auto& ball : balls_)
                if (ball->session.CanMark()) placed |= ball->session.Mark(command.text, now).has_value();
            if (!placed) Error(QStringLiteral("mark: no ball is recording"));
            return;
        }
    }
}

void tRecorder::PrintStatus() {
    for (const auto& ball : balls_) {
        const tMeasurement& s = ball->session;
        Print(stdout, QStringLiteral("%1  %2 lines  %3 lost  %4 damaged  battery %5  %6")
                          .arg(ball->Who())
                          .arg(s.Samples())
                          .arg(s.Clock().LostLines())
                          .arg(s.DamagedLines())
                          .arg(s.Battery() >= 0 ? QStringLiteral("%1 %").arg(s.Battery()) : QStringLiteral("?"))
                          .arg(ball->State()) +
                      (ball->mqtt->View().configured ? QStringLiteral("  ") + ball->mqtt->StatusText()
                                                     : QString()));
    }
}

void tRecorder::CheckEnd() {
    if (finished_ || options_.lines <= 0) return;
    for (const auto& ball : balls_)
        if (!ball->lost && ball->session.Samples() < options_.lines) return;
    Finish(QStringLiteral("%1 lines recorded").arg(options_.lines));
}

void tRecorder::BallLostFor(tBall&) {
    // Without a ball to record or to wait for, the recording is over.
    for (const auto& ball : balls_)
        if (ball->session.IsMeasuring() || ball->session.IsWatchingForBall()) return;
    QTimer::singleShot(0, this, [this] { Finish(QStringLiteral("no ball left")); });
}

void tRecorder::JournalFailedFor(tBall& ball, const QString& reason) {
    Error(ball.Who() + QStringLiteral(": journal not saved: ") + reason);
    fileFailed_ = true;
    QTimer::singleShot(0, this, [this] { Finish(QStringLiteral("a journal could not be written")); });
}

void tRecorder::Finish(const QString& why, const QString& signal) {
    if (finished_) return;
    finished_ = true;
    status_.stop();
    duration_.stop();
    for (auto& ball : balls_) {
        tMeasurement& s = ball->session;
        if (s.IsMeasuring()) {
            if (!signal.isEmpty()) s.JournalEvent(QStringLiteral("signal"), signal);
            s.Stop();
        } else if (ball->lost) {
            ball->lostAtEnd = true;
        }
        s.Disconnect();
    }
    if (statusLines_) PrintStatus();
    Event(why);
    if (loop_) loop_->quit();
}

int tRecorder::WriteFiles() {
    const bool several = balls_.size() > 1;
    QString common = options_.name;
    std::vector<tBallExport> exports;
    for (const auto& ball : balls_) {
        if (ball->journal.isEmpty()) continue;
        if (common.isEmpty()) common = QFileInfo(ball->journal).completeBaseName();
        tBallExport e;
        e.number = ball->number;
        e.port = ball->port;
        e.journal = ball->journal;
        exports.push_back(e);
    }
    const QStringList suffixes = {QString::fromLatin1(kJournalExtension), QStringLiteral(".csv"),
                                  QStringLiteral(".tsv"), QStringLiteral("_events.tsv"),
                                  QStringLiteral("-events.csv")};
    for (tBallExport& e : exports) {
        const QString own = QFileInfo(e.journal).absolutePath() + u'/' + QFileInfo(e.journal).completeBaseName();
        const QString wanted = QFileInfo(e.journal).absolutePath() + u'/' + common +
                               (several ? QStringLiteral("_ball%1").arg(e.number) : QString());
        // The journal takes the files' name, unless it has it already or another file has.
        e.base = own == wanted ? own : FreeBase(wanted, suffixes);
        const QString renamed = e.base + QLatin1String(kJournalExtension);
        if (renamed != e.journal) {
            if (QFile::rename(e.journal, renamed)) e.journal = renamed;
            else e.base = own;
        }
    }
    tExportPlan plan;
    plan.format = options_.format;
    plan.out = out_;
    plan.subject = options_.subject;
    plan.task = options_.task;
    plan.sharedTime = several;
    double sharedStart = 0;
    const bool ok = ExportRecording(plan, exports, &sharedStart);
    if (several)
        Event(QStringLiteral("t_host 0 is %1 s on the host's monotonic clock").arg(sharedStart, 0, 'f', 6));
    for (const tBallExport& e : exports) {
        Event(QStringLiteral("ball %1 (%2): journal %3").arg(e.number).arg(e.port, e.journal));
        for (const QString& file : e.written) Event(QStringLiteral("ball %1 (%2): wrote %3").arg(e.number).arg(e.port, file));
        if (!e.error.isEmpty()) Error(QStringLiteral("ball %1 (%2): %3").arg(e.number).arg(e.port, e.error));
    }
    return ok ? kExitDone : kExitFileFailed;
}

int tRecorder::Run() {
    const int prepared = Prepare();
    if (prepared != kExitDone) return prepared;
    QEventLoop loop;
    loop_ = &loop;
    Start();
    if (!finished_) loop.exec();
    loop_ = nullptr;
    input_.reset();
    signals_.reset();
    const int written = WriteFiles();
    int code = fileFailed_ || written != kExitDone ? kExitFileFailed : kExitDone;
    for (const auto& ball : balls_) {
        if (!ball->lostAtEnd) continue;
        Error(ball->Who() + QStringLiteral(": the ball was lost and did not come back; its data up to "
                                           "the loss are kept"));
        if (code == kExitDone) code = kExitBallLost;
    }
    return code;
}
