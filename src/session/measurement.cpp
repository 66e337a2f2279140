#include "session/measurement.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <utility>

#include "app/file_locations.h"
#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "app/steady_clock.h"
#include "device/device.h"
#include "device/reconnect_watch.h"
#include "model/journal_folder.h"
#include "model/record_journal.h"

namespace {
constexpr int kDrainIntervalMs = 100;
constexpr int kDefaultRecordKeep = 50;

qint64 NowMs() { return QDateTime::currentMSecsSinceEpoch(); }
}  // namespace

tMeasurement::tMeasurement(tSettings* settings, const QString& programPath, QObject* parent)
    : QObject(parent),
      settings_(settings),
      programPath_(programPath),
      watch_(std::make_unique<tReconnectWatch>(settings)) {
    drain_.setInterval(kDrainIntervalMs);
    connect(&drain_, &QTimer::timeout, this, &tMeasurement::Drain);
}

tMeasurement::~tMeasurement() {
    // Nothing may keep reading a port that is about to close, nor write to the log after it.
    listeners_.clear();
    Disconnect();
}

void tMeasurement::AddListener(tMeasurementListener* listener) { listeners_.append(listener); }

void tMeasurement::RemoveListener(tMeasurementListener* listener) {
    listeners_.removeAll(listener);
}

template <typename Call>
void tMeasurement::Tell(Call call) {
    for (tMeasurementListener* listener : listeners_) call(*listener);
}

// --- the connection

QString tMeasurement::Connect(tDeviceConnector& connector) {
    return connector.ConnectDevice(connection_);
}

void tMeasurement::Disconnect() {
    if (IsMeasuring()) Stop();
    // The journal of a lost ball that was still watched for ends here.
    if (IsWatchingForBall()) watch_->Cancel();
    resumeOnReturn_ = false;
    CloseJournal();
    tDeviceConnector::DisconnectDevice(connection_);
    paused_ = false;
}

bool tMeasurement::IsMeasuring() const { return Device() && Device()->IsMeasuring(); }

// --- the measurement

void tMeasurement::Start() {
    if (!Device() || IsMeasuring()) return;
    decoder_.ResetZeroRef();
    samples_ = 0;
    marks_.Clear();
    pendingMarks_.clear();
    ResetTimeBase();
    StartJournal();
    Device()->StartMeasure();
    drain_.start();
    Tell([](tMeasurementListener& l) { l.MeasurementStarted(); });
}

void tMeasurement::ResetTimeBase() {
    clock_.Reset();
    hostClock_.Reset();
    lastClockLine_ = -1;
    damagedLines_ = 0;
    gapFrom_ = -1;
    lastSampleMs_ = NowMs();
}

void tMeasurement::SetPaused(bool paused) {
    if (paused == paused_) return;
    paused_ = paused;
    JournalEvent(paused ? QStringLiteral("pause") : QStringLiteral("resume"), QString());
    Tell([paused](tMeasurementListener& l) { l.PauseChanged(paused); });
}

void tMeasurement::TakeRest() {
    if (!Device()) return;
    // What the stream thread read before the stop goes on the record, also while paused.
    tPacketQueue rest;
    Device()->TakePackets(rest);
    Device()->StopMeasure(&rest);
    for (const tPacket& packet : rest) {
        if (packet.Data()) DecodeChunk(packet.Data(), packet.Length(), packet.arrival);
    }
}

void tMeasurement::EndStream() {
    drain_.stop();
    if (Device()) {
        TakeRest();
        NoteLinkEvent(QStringLiteral("lines"),
                      QStringLiteral("%1 lost, %2 damaged").arg(clock_.LostLines()).arg(damagedLines_));
    }
}

void tMeasurement::Stop() {
    EndStream();
    CloseJournal();
    Tell([](tMeasurementListener& l) { l.MeasurementStopped(); });
}

void tMeasurement::EndBySignal(const QString& name) {
    const bool measuring = IsMeasuring();
    if (!measuring && !journal_) return;
    drain_.stop();
    TakeRest();
    JournalEvent(QStringLiteral("signal"), name);
    LogFile->Write(QStringLiteral("MEASUREMENT ENDED BY ") + name);
    // Synced and closed without its stop line: the measurement did not end with Stop.
    CheckJournal();
    journal_.reset();
    if (measuring) Tell([](tMeasurementListener& l) { l.MeasurementStopped(); });
}

void tMeasurement::Drain() {
    CheckJournal();
    // A lost ball is noticed also while paused.
    if (HandleLinkLoss()) return;
    if (!IsConnected() || paused_) return;
    tPacketQueue queue;
    if (Device()->TakePackets(queue) == 0) return;
    // Each chunk's block is freed as the queue goes, also when a decode fails half-way.
    for (const tPacket& packet : queue) {
        if (packet.Data()) DecodeChunk(packet.Data(), packet.Length(), packet.arrival);
    }
    Tell([](tMeasurementListener& l) { l.ChunksDrained(); });
}

void tMeasurement::DecodeChunk(const char* bytes, int length, double arrival) {
    if (journal_) journal_->AppendLines(bytes, length);
    const bool wasEmpty = samples_ == 0;
    tChunkResult chunk = decoder_.DecodeChunk(bytes, length, static_cast<int>(samples_),
                                              tDecodeLog{LogFile, LogMeasureEnabled()});
    // The record's times rise whatever the ball's clock does, so every sample is appended.
    PlaceChunkTimes(chunk, arrival < 0 ? SteadySeconds() : arrival);
    samples_ += static_cast<long long>(chunk.samples.size());
    if (chunk.ShowsBattery()) battery_ = chunk.battery;
    if (wasEmpty && !chunk.samples.empty()) JournalZeroRefs();
    Tell([&chunk](tMeasurementListener& l) { l.ChunkDecoded(chunk); });
}

void tMeasurement::PlaceChunkTimes(tChunkResult& chunk, double arrival) {
    damagedLines_ += chunk.rejected.size();
    const double lastDevice = chunk.samples.empty() ? 0 : chunk.samples.back().time;
    const tClockEvents events = clock_.PlaceChunk(chunk);
    if (!chunk.samples.empty()) {
        lastSampleMs_ = NowMs();
        // The last line of a chunk arrived just before the chunk was read. After a restart or
        // a gap the host's clock is fitted anew.
        if (!events.restartsAt.empty() || events.resumedAt >= 0) {
            hostClock_.Restart();
            lastClockLine_ = -1;
        }
        const double record = chunk.samples.back().time;
        hostClock_.Add(arrival, record);
        if (lastClockLine_ < 0 || arrival - lastClockLine_ >= 1.0) {
            lastClockLine_ = arrival;
            NoteClock(lastDevice, record);
        }
        for (const tPendingMark& mark : std::exchange(pendingMarks_, {}))
            PlaceMark(mark.number, mark.host, mark.label);
    }
    if (events.resumedAt >= 0 && gapFrom_ >= 0) {
        const double from = gapFrom_;
        gapFrom_ = -1;
        Tell([&](tMeasurementListener& l) { l.GapPlaced(from, events.resumedAt); });
        NoteLinkEvent(QStringLiteral("gap"), QStringLiteral("from %1 s to %2 s")
                                                 .arg(from, 0, 'f', 3)
                                                 .arg(events.resumedAt, 0, 'f', 3));
    }
    for (const double at : events.restartsAt) {
        Tell([at](tMeasurementListener& l) { l.RestartPlaced(at); });
        NoteLinkEvent(QStringLiteral("restart"), QStringLiteral("at %1 s").arg(at, 0, 'f', 3));
    }
}

// --- marks

bool tMeasurement::CanMark() const {
    return IsMeasuring() || (resumeOnReturn_ && IsWatchingForBall());
}

std::optional<int> tMeasurement::Mark(const QString& label, double host) {
    if (!CanMark()) return std::nullopt;
    if (host < 0) host = SteadySeconds();
    const int number = marks_.NextNumber() + int(pendingMarks_.size());
    if (hostClock_.HasFit())
        PlaceMark(number, host, label);
    else
        pendingMarks_.append({number, host, label});
    return number;
}

void tMeasurement::PlaceMark(int number, double host, const QString& label) {
    marks_.Restore({number, hostClock_.RecordAt(host), label});
    const tEventMark mark = *marks_.Find(number);
    JournalEvent(QStringLiteral("mark"), MarkEventDetail(mark));
    Tell([&mark](tMeasurementListener& l) { l.MarkPlaced(mark); });
}

bool tMeasurement::RelabelMark(int number, const QString& label) {
    for (tPendingMark& pending : pendingMarks_) {
        if (pending.number != number) continue;
        pending.label = label;
        return true;
    }
    if (!marks_.Relabel(number, label)) return false;
    const tEventMark mark = *marks_.Find(number);
    JournalEvent(QStringLiteral("mark"), MarkEventDetail(mark));
    Tell([&mark](tMeasurementListener& l) { l.MarkLabelled(mark); });
    return true;
}

// The host's clock against the ball's, for a journal that is read beside others: the ball's
// time of a sample, and the host's monotonic and wall-clock time of that sample, fitted.
void tMeasurement::NoteClock(double device, double record) {
    const double monotonic = hostClock_.HostAt(record);
    const double now = std::chrono::duration<double>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    const double wall = monotonic + (now - SteadySeconds());
    JournalEvent(QStringLiteral("clock"), QStringLiteral("%1 %2 %3")
                                              .arg(device, 0, 'f', 3)
                                              .arg(monotonic, 0, 'f', 6)
                                              .arg(wall, 0, 'f', 6));
}

// --- ranges and battery

int tMeasurement::SetAccRange(int index, const QString& entry) {
    return ApplyRange(true, index, entry);
}

int tMeasurement::SetGyroRange(int index, const QString& entry) {
    return ApplyRange(false, index, entry);
}

// A range reply b above 0 is the ball's new full scale; anything else leaves the limits alone.
int tMeasurement::ApplyRange(bool acceleration, int index, const QString& entry) {
    (acceleration ? acc_ : gyro_) = {index, entry};
    if (!Device()) return -1;
    const int b = acceleration ? Device()->SetAccRange(index) : Device()->SetGyroRange(index);
    if (b <= 0) return b;
    tAxisLimits& limits = acceleration ? accLimits_ : gyroLimits_;
    limits = acceleration ? AccLimitsForRange(b) : GyroLimitsForRange(b);
    JournalEvent(QStringLiteral("range"),
                 (acceleration ? QStringLiteral("acc %1") : QStringLiteral("gyro %1")).arg(b));
    Tell([&](tMeasurementListener& l) { l.RangeApplied(acceleration, b, limits); });
    return b;
}

int tMeasurement::ReadBattery() {
    if (!IsConnected() || IsMeasuring()) return battery_;
    battery_ = Device()->ReadBattery();
    const int level = battery_;
    Tell([level](tMeasurementListener& l) { l.BatteryRead(level); });
    return level;
}

// --- link health

bool tMeasurement::IsWatchingForBall() const { return watch_->IsWatching(); }

bool tMeasurement::CancelWatch() {
    if (!IsWatchingForBall()) return false;
    watch_->Cancel();
    NoteLinkEvent(QStringLiteral("watch"), QStringLiteral("cancelled"));
    resumeOnReturn_ = false;
    CloseJournal();
    return true;
}

bool tMeasurement::HandleLinkLoss() {
    if (!IsConnected() || !Device()->LinkLost()) return false;
    const QString port = Device()->GetPortName();
    const QString reason = QString::fromUtf8(Device()->LossReason());
    // Stop's steps keep every chunk that came before the loss. The journal stays open while
    // the ball is watched for: the record goes on in it after the ball's return.
    EndStream();
    const double at = clock_.LastTime();
    NoteLinkEvent(QStringLiteral("loss"),
                  QStringLiteral("%1 at %2 s (%3)").arg(port).arg(at, 0, 'f', 3).arg(reason));
    tDeviceConnector::DisconnectDevice(connection_);
    paused_ = false;
    resumeOnReturn_ = true;
    if (StrToIntDef(settings_->GetSettingByName(QStringLiteral("AutoReconnect")), 1) != 0)
        watch_->Start(port, [this](std::unique_ptr<tDevice> device) { BallCameBack(std::move(device)); });
    else
        CloseJournal();
    Tell([](tMeasurementListener& l) { l.MeasurementStopped(); });
    Tell([at](tMeasurementListener& l) { l.BallLost(at); });
    return true;
}

void tMeasurement::BallCameBack(std::unique_ptr<tDevice> device) {
    connection_.Device = std::move(device);
    connection_.DevTime = Device()->ReadDeviceTime();
    NoteLinkEvent(QStringLiteral("reconnect"), Device()->GetPortName());
    // The battery and the ranges as a connect reads and sets them.
    ReadBattery();
    if (acc_.index >= 0) ApplyRange(true, acc_.index, acc_.entry);
    if (gyro_.index >= 0) ApplyRange(false, gyro_.index, gyro_.entry);
    const bool continues = resumeOnReturn_;
    resumeOnReturn_ = false;
    Tell([continues](tMeasurementListener& l) { l.BallReturned(continues); });
    if (continues) ContinueMeasurement();
}

void tMeasurement::ContinueMeasurement() {
    // The new stream goes on the same record, after a gap as long as the ball was away.
    gapFrom_ = clock_.LastTime();
    clock_.ContinueAfter((NowMs() - lastSampleMs_) / 1000.0);
    Device()->StartMeasure();
    drain_.start();
    const double from = gapFrom_;
    Tell([from](tMeasurementListener& l) { l.MeasurementContinued(from); });
}

void tMeasurement::NoteLinkEvent(const QString& kind, const QString& detail) {
    LogFile->Write("LINK " + kind.toUtf8() + ": " + detail.toUtf8());
    JournalEvent(kind, detail);
}

// --- the journal

QString tMeasurement::RecordFolder() const {
    const QString folder = settings_->GetSettingByName(QStringLiteral("RecordFolder")).trimmed();
    const tFileLocations locations(programPath_);
    if (folder.isEmpty()) return locations.RecordsFolder();
    // A relative folder lies beside the settings file: beside the program when it is portable,
    // in the user's configuration folder when it is installed.
    return QFileInfo(locations.SettingsFile()).dir().absoluteFilePath(folder);
}

void tMeasurement::StartJournal() {
    CloseJournal();
    tJournalHeader header;
    header.program = QStringLiteral(MIRELVANE_FILE_VERSION);
    header.start = QDateTime::currentDateTime();
    header.port = Device() ? Device()->GetPortName() : QString();
    header.devTime = connection_.DevTime;
    header.acc = {acc_.entry, accLimits_.Min, accLimits_.Max};
    header.gyro = {gyro_.entry, gyroLimits_.Min, gyroLimits_.Max};
    for (int k = 0; k < kChannelCount; ++k) {
        header.relative[k] = decoder_.IsRelative(k);
        header.zeroRef[k] = decoder_.ZeroRef(k);
    }
    header.battery = battery_;

    const QString folder = RecordFolder();
    QString error;
    journal_ = tRecordJournal::Create(folder, header.start, JournalHeaderText(header), error);
    if (!journal_) {
        ReportJournalFailure(error);
        return;
    }
    journalFailed_ = false;
    LogFile->Write(QStringLiteral("JOURNAL: ") + journal_->Path());
    const QString path = journal_->Path();
    Tell([&path](tMeasurementListener& l) { l.JournalOpened(path); });
    const int keep =
        StrToIntDef(settings_->GetSettingByName(QStringLiteral("RecordKeep")), kDefaultRecordKeep);
    PruneJournals(folder, keep < 0 ? kDefaultRecordKeep : keep, journal_->Path());
}

void tMeasurement::CloseJournal() {
    if (!journal_) return;
    journal_->Close();
    CheckJournal();
    journal_.reset();
}

void tMeasurement::CheckJournal() {
    if (journal_ && !journalFailed_ && journal_->Failed()) ReportJournalFailure(journal_->Error());
}

void tMeasurement::ReportJournalFailure(const QString& reason) {
    journalFailed_ = true;
    LogFile->Write(QStringLiteral("JOURNAL NOT SAVED: ") + reason);
    Tell([&reason](tMeasurementListener& l) { l.JournalFailed(reason); });
}

void tMeasurement::JournalEvent(const QString& kind, const QString& detail) {
    if (journal_) journal_->AppendEvent(kind, detail);
    Tell([&](tMeasurementListener& l) { l.EventNoted(kind, detail); });
}

// The references of the relative channels are known from the first sample on.
void tMeasurement::JournalZeroRefs() {
    bool relative = false;
    QStringList refs;
    for (int k = 0; k < kChannelCount; ++k) {
        relative |= decoder_.IsRelative(k);
        refs << QString::number(decoder_.ZeroRef(k), 'g', 17);
    }
    if (relative) JournalEvent(QStringLiteral("zero"), refs.join(u' '));
}
