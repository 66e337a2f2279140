#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <memory>
#include <optional>

#include "device/device_connector.h"
#include "model/axis_limits.h"
#include "model/channels.h"
#include "model/event_marks.h"
#include "model/host_clock.h"
#include "model/sample_clock.h"
#include "model/sample_decoder.h"

class tRecordJournal;
class tReconnectWatch;
class tSettings;

// What a measurement tells the parts that show, store or send it. Every call comes on the
// measurement's own thread, in the order things happened; each one is cheap to ignore.
class tMeasurementListener {
public:
    virtual ~tMeasurementListener() = default;
    // Start: a new record, no sample yet, a fresh time base; the stream runs.
    virtual void MeasurementStarted() {}
    // The samples of one chunk, placed on the record's time axis, after the gap and restart
    // that the chunk showed.
    virtual void ChunkDecoded(const tChunkResult& /*chunk*/) {}
    // One step of the drain handed its chunks over: the moment to show them.
    virtual void ChunksDrained() {}
    // The record goes on at `to` after the ball was away since `from` (record seconds).
    virtual void GapPlaced(double /*from*/, double /*to*/) {}
    // The ball's clock started again; its next sample lies at `at` on the record.
    virtual void RestartPlaced(double /*at*/) {}
    // The stream ended (Stop, a lost ball or a signal); the record is complete.
    virtual void MeasurementStopped() {}
    // The ball went away at record time `at`; the record is kept and, where the settings say
    // so, the ball is watched for.
    virtual void BallLost(double /*at*/) {}
    // The lost ball answered again and is connected; `continues` when its stream goes on.
    virtual void BallReturned(bool /*continues*/) {}
    // The stream of a ball that came back goes on the record after a gap from `from`.
    virtual void MeasurementContinued(double /*from*/) {}
    // A battery poll between measurements: percent, or -1 when the ball did not say.
    virtual void BatteryRead(int /*level*/) {}
    // The ball took a new full scale b (> 0) of one sensor; the limits say the axis range.
    virtual void RangeApplied(bool /*acceleration*/, int /*b*/, const tAxisLimits& /*limits*/) {}
    // The journal opened, or stopped taking data for good.
    virtual void JournalOpened(const QString& /*path*/) {}
    virtual void JournalFailed(const QString& /*reason*/) {}
    // The measurement was paused or goes on.
    virtual void PauseChanged(bool /*paused*/) {}
    // A new mark on the record, and a mark that got a new label.
    virtual void MarkPlaced(const tEventMark& /*mark*/) {}
    virtual void MarkLabelled(const tEventMark& /*mark*/) {}
    // Every event of the measurement as its journal has it (kind and detail), also when no
    // journal could be opened.
    virtual void EventNoted(const QString& /*kind*/, const QString& /*detail*/) {}
};

// One ball's measurement, without any window: its connection, the stream and its drain every
// 100 ms, decoding with the relative readings, the record's time base over the ball's clock,
// the lost and damaged lines, a lost ball and its return, the journal and the sensor ranges.
// Several run side by side, one for each ball; only the log and the languages are shared.
//
// Who owns what: the measurement owns the driver (and so the port and the stream thread), the
// journal and the watch for a lost ball; the settings belong to the caller and outlive it.
// The record itself belongs to the listeners: the window keeps it in its charts, a recorder
// only in the journal.
class tMeasurement : public QObject {
public:
    // programPath: the executable's path, which decides where the journals go.
    tMeasurement(tSettings* settings, const QString& programPath, QObject* parent = nullptr);
    ~tMeasurement() override;

    void AddListener(tMeasurementListener* listener);
    void RemoveListener(tMeasurementListener* listener);

    // --- the connection
    // Connects through the connector's probe; "" when a ball was found, else the reason.
    QString Connect(tDeviceConnector& connector);
    // Ends a running measurement as Stop does, then lets the ball go.
    void Disconnect();
    tDevice* Device() const { return connection_.Device.get(); }
    bool IsConnected() const { return connection_.Device != nullptr; }
    bool IsMeasuring() const;
    // The ball's time read at connect, -1 when disconnected.
    int DevTime() const { return connection_.DevTime; }

    // --- the measurement
    // A new record on the connected ball; nothing without one, or while one runs.
    void Start();
    // A paused measurement leaves the stream's chunks queued; the journal notes both steps.
    void SetPaused(bool paused);
    bool IsPaused() const { return paused_; }
    // Takes what the stream still holds onto the record, counts the lines and closes the
    // journal with its stop line.
    void Stop();
    // Ends a running measurement for a signal (`name`, as "SIGTERM"): every line received goes
    // into the journal after an event that names the signal, and the journal is left without
    // its stop line, so that the next start offers to restore it.
    void EndBySignal(const QString& name);
    // One step of the drain: the journal's health, a lost ball, the queued chunks.
    void Drain();
    // The drain's 100 ms timer; it runs while the stream does.
    QTimer* DrainTimer() { return &drain_; }
    // Decodes one chunk onto the record and hands it on. `arrival`: when it was read
    // (SteadySeconds); below 0 for now.
    void DecodeChunk(const char* bytes, int length, double arrival = -1);
    // A new record's time base: the ball's clock unlearned, the line counts at zero.
    void ResetTimeBase();

    // --- what the samples mean
    void SetRelative(int channel, bool relative) { decoder_.SetRelative(channel, relative); }
    double ZeroRef(int channel) const { return decoder_.ZeroRef(channel); }
    // Asks the ball for a range (its list index); `entry` is the range as the user chose it,
    // for the journal. Returns the ball's reply b, -1 without a ball.
    int SetAccRange(int index, const QString& entry);
    int SetGyroRange(int index, const QString& entry);
    const tAxisLimits& AccLimits() const { return accLimits_; }
    const tAxisLimits& GyroLimits() const { return gyroLimits_; }
    // Polls the battery between measurements (never while the stream holds the port).
    int ReadBattery();
    // The last battery level the ball gave, -1 unknown.
    int Battery() const { return battery_; }

    // --- link health
    bool IsWatchingForBall() const;
    // Ends the watch for a lost ball; false when none ran.
    bool CancelWatch();
    const tSampleClock& Clock() const { return clock_; }
    long long DamagedLines() const { return damagedLines_; }
    // Samples on the record since Start.
    long long Samples() const { return samples_; }

    // --- marks
    // True while measuring, paused or while a lost ball of a measurement is watched for.
    bool CanMark() const;
    // Marks the moment `host` (SteadySeconds; below 0 for now) on the record, through the fit
    // of the host's clock to the record's: the moment a key was pressed, not the last chunk's.
    // Marks made before the first chunk are placed when it comes. Nothing when CanMark is
    // false; the number of the mark otherwise.
    std::optional<int> Mark(const QString& label = QString(), double host = -1);
    bool RelabelMark(int number, const QString& label);
    // The running record's marks; cleared at Start.
    const tEventMarks& Marks() const { return marks_; }
    const tHostClockFit& HostClock() const { return hostClock_; }

    // --- the journal
    // An event line in the running measurement's journal; nothing without one.
    void JournalEvent(const QString& kind, const QString& detail);
    // An event of the link: the log's "LINK kind: detail" and the journal's event.
    void NoteLinkEvent(const QString& kind, const QString& detail);
    const tRecordJournal* Journal() const { return journal_.get(); }
    bool JournalHasFailed() const { return journalFailed_; }
    // The folder of the journals: the setting "RecordFolder", or the default one.
    QString RecordFolder() const;

private:
    struct tRange {
        int index = -1;
        QString entry;
    };
    int ApplyRange(bool acceleration, int index, const QString& entry);
    void StartJournal();
    void CloseJournal();
    void CheckJournal();
    void ReportJournalFailure(const QString& reason);
    void JournalZeroRefs();
    void TakeRest();
    void EndStream();
    bool HandleLinkLoss();
    void BallCameBack(std::unique_ptr<tDevice> device);
    void ContinueMeasurement();
    void PlaceChunkTimes(tChunkResult& chunk, double arrival);
    void PlaceMark(int number, double host, const QString& label);
    void NoteClock(double device, double record);
    template <typename Call>
    void Tell(Call call);

    tSettings* settings_;
    QString programPath_;
    QVector<tMeasurementListener*> listeners_;
    tConnection connection_;
    QTimer drain_;
    tSampleDecoder decoder_;
    tSampleClock clock_;
    std::unique_ptr<tReconnectWatch> watch_;
    std::unique_ptr<tRecordJournal> journal_;
    bool journalFailed_ = false;
    bool paused_ = false;
    // A measurement ran when the ball was lost: its return continues the record.
    bool resumeOnReturn_ = false;
    long long samples_ = 0;
    long long damagedLines_ = 0;
    double gapFrom_ = -1;
    qint64 lastSampleMs_ = 0;
    int battery_ = -1;
    tRange acc_;
    tRange gyro_;
    tAxisLimits accLimits_ = kStartAccLimits;
    tAxisLimits gyroLimits_ = kStartGyroLimits;
    tEventMarks marks_;
    // Marks made before the first chunk: their numbers, host times and labels.
    struct tPendingMark {
        int number;
        double host;
        QString label;
    };
    QVector<tPendingMark> pendingMarks_;
    tHostClockFit hostClock_;
    // When the journal's last clock line was written (SteadySeconds); below 0: one is due.
    double lastClockLine_ = -1;
};
