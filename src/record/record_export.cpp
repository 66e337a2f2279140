#include "record/record_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "app/atomic_file.h"
#include "app/format_settings.h"
#include "model/csv_export.h"
#include "model/event_marks.h"
#include "model/number_format.h"
#include "model/record_reader.h"
#include "model/vector_record.h"
#include "model/windows1251.h"
#include "record/journal_points.h"

const char* const kDataChannelNames[kChannelCount] = {
    "acc_x", "acc_y", "acc_z", "gyro_x", "gyro_y", "gyro_z", "angle_x", "angle_y", "angle_z"};

namespace {
constexpr int kBlockSamples = 4096;
constexpr int kStepsForRate = 1000;

// The first pass: how the record begins, how long it is and at what rate it was sampled.
struct tShape : tRecordSink {
    long long count = 0;
    double first = 0, last = 0;
    std::vector<double> steps;
    void Append(double time, const double (&)[kChannelCount]) override {
        if (count == 0) first = time;
        else if (steps.size() < kStepsForRate) steps.push_back(time - last);
        last = time;
        ++count;
    }
    // The nominal rate: the median step, in Hz; 0 without two samples.
    double Rate() {
        if (steps.empty()) return 0;
        std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
        const double step = steps[steps.size() / 2];
        return step > 0 ? std::round(1000.0 / step) / 1000.0 : 0;
    }
};

// Rows go out through this sink as the second pass reads them.
class tRowSink : public tRecordSink {
public:
    tRowSink(tAtomicFileWriter& file, tHostTimeMap* host, double t0) : file_(file), host_(host), t0_(t0) {}
    bool Ok() const { return file_.Result().ok(); }
    virtual void Finish() {}

protected:
    // The shared time of the next sample; NaN without one.
    double Host(double t) {
        const long long index = index_++;
        if (!host_ || !host_->Valid()) return std::numeric_limits<double>::quiet_NaN();
        return host_->At(index, t) - t0_;
    }
    bool Shared() const { return host_ != nullptr; }
    void Put(const QByteArray& bytes) {
        if (Ok()) file_.Write(bytes.constData(), bytes.size());
    }

private:
    tAtomicFileWriter& file_;
    tHostTimeMap* host_;
    double t0_;
    long long index_ = 0;
};

// The window's own export, a block at a time, with the shared time after its columns.
class tWindowRows : public tRowSink {
public:
    using tRowSink::tRowSink;
    void Append(double time, const double (&values)[kChannelCount]) override {
        block_.Append(time, values);
        if (Shared()) hosts_.push_back(Host(time));
        if (block_.Count() >= kBlockSamples) Flush();
    }
    void Finish() override {
        if (block_.Count() > 0 || first_) Flush();
    }

private:
    void Flush() {
        tExportSource source;
        source.record = &block_;
        std::optional<QByteArray> bytes = BuildExportFile(source);
        const char separator = EncodeWindows1251(FormatSettings().DecimalSeparator);
        if (!bytes) {  // an empty record: the header alone
            tVectorRecord none;
            double zero[kChannelCount] = {};
            none.Append(0.0, zero);
            source.record = &none;
            bytes = BuildExportFile(source);
            bytes = bytes->left(bytes->indexOf("\r\n") + 2);
        }
        QByteArray out;
        qsizetype begin = 0;
        size_t row = 0;
        bool header = true;
        for (qsizetype end; (end = bytes->indexOf("\r\n", begin)) >= 0; begin = end + 2) {
            if (!header || first_) {
                out.append(bytes->constData() + begin, end - begin);
                if (Shared()) {
                    if (header) out += "\tt_host";
                    else out += '\t' + Fixed(hosts_[row], separator);
                }
                out += "\r\n";
            }
            if (!header) ++row;
            header = false;
        }
        first_ = false;
        Put(out);
        block_.Clear();
        hosts_.clear();
    }
    static QByteArray Fixed(double value, char separator) {
        if (std::isnan(value)) return QByteArray();
        char text[kFixedMaxLength];
        return QByteArray(text, WriteFixed(text, value, 3, separator));
    }

    tVectorRecord block_;
    std::vector<double> hosts_;
    bool first_ = true;
};

QByteArray Number(double value, int decimals) {
    if (std::isnan(value)) return QByteArrayLiteral("n/a");
    return QByteArray::number(value, 'f', decimals);
}

// UTF-8, a decimal point, a header for "data"; BIDS motion data has no header line.
class tDataRows : public tRowSink {
public:
    tDataRows(tAtomicFileWriter& file, tHostTimeMap* host, double t0, bool header)
        : tRowSink(file, host, t0) {
        if (!header) return;
        QByteArray line = "t";
        for (const char* name : kDataChannelNames) line += QByteArray("\t") + name;
        if (Shared()) line += "\tt_host";
        Put(line + '\n');
    }
    void Append(double time, const double (&values)[kChannelCount]) override {
        buffer_ += Number(time, 3);
        for (const double v : values) buffer_ += '\t' + QByteArray::number(v, 'g', 8);
        if (Shared()) buffer_ += '\t' + Number(Host(time), 3);
        buffer_ += '\n';
        if (buffer_.size() > (1 << 20)) Finish();
    }
    void Finish() override {
        Put(buffer_);
        buffer_.clear();
    }

private:
    QByteArray buffer_;
};

bool Fail(tBallExport& ball, const QString& error) {
    if (ball.error.isEmpty()) ball.error = error;
    return false;
}

bool WriteFile(tBallExport& ball, const QString& path, const QByteArray& content) {
    const tAtomicWriteResult result = AtomicWriteFile(path, content);
    if (!result.ok()) return Fail(ball, QStringLiteral("cannot write %1: %2").arg(path, result.SystemMessage()));
    ball.written << path;
    return true;
}

QByteArray Json(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }

struct tBallPass {
    tShape shape;
    tRecordInfo info;
    std::optional<tHostTimeMap> host;
};

bool WriteRows(tBallExport& ball, const QString& path, tBallPass& pass, const tExportPlan& plan,
               double t0) {
    tAtomicFileWriter file(path);
    tHostTimeMap* host = plan.sharedTime ? &*pass.host : nullptr;
    std::unique_ptr<tRowSink> rows;
    if (plan.format == tRecordOptions::Window) rows = std::make_unique<tWindowRows>(file, host, t0);
    else rows = std::make_unique<tDataRows>(file, host, t0, plan.format == tRecordOptions::Data);
    tRecordInfo info;
    const tRecordError error = ReadRecordFile(ball.journal, *rows, info);
    rows->Finish();
    if (error) return Fail(ball, RecordErrorMessage(ball.journal, error));
    file.Commit();
    if (!file.Result().ok())
        return Fail(ball, QStringLiteral("cannot write %1: %2").arg(path, file.Result().SystemMessage()));
    ball.written << path;
    return true;
}

// BIDS onsets count from the first sample of the data file.
QByteArray BidsEvents(const tEventMarks& marks, double first) {
    QByteArray text = "onset\tduration\ttrial_type\n";
    for (const tEventMark& mark : marks.All())
        text += Number(std::max(0.0, mark.at - first), 3) + "\t0\t" +
                CleanMarkLabel(mark.label).toUtf8() + '\n';
    return text;
}

// The data format's events: UTF-8, a decimal point, onsets on the export's t.
QByteArray DataEvents(const tEventMarks& marks) {
    QByteArray text = "onset\tlabel\n";
    for (const tEventMark& mark : marks.All())
        text += Number(mark.at, 3) + '\t' + CleanMarkLabel(mark.label).toUtf8() + '\n';
    return text;
}

QByteArray BidsChannels(bool shared) {
    QByteArray text = "name\tcomponent\ttype\ttracked_point\tunits\n";
    text += "t\tn/a\tLATENCY\tball\ts\n";
    const char* const types[] = {"ACCEL", "GYRO", "ORNT"};
    const char* const units[] = {"m/s^2", "deg/s", "deg"};
    for (int k = 0; k < kChannelCount; ++k)
        text += QByteArray(kDataChannelNames[k]) + '\t' + "xyz"[k % 3] + '\t' + types[k / 3] +
                "\tball\t" + units[k / 3] + '\n';
    if (shared) text += "t_host\tn/a\tLATENCY\tball\ts\n";
    return text;
}

QJsonObject BidsSidecar(const tBallExport& ball, tBallPass& pass, const tExportPlan& plan) {
    const double duration = pass.shape.count > 1 ? pass.shape.last - pass.shape.first : 0;
    QJsonObject o;
    o[QStringLiteral("TaskName")] = plan.task;
    const double rate = pass.shape.Rate();
    o[QStringLiteral("SamplingFrequency")] = rate > 0 ? QJsonValue(rate) : QJsonValue(QStringLiteral("n/a"));
    if (duration > 0)
        o[QStringLiteral("SamplingFrequencyEffective")] = double(pass.shape.count - 1) / duration;
    o[QStringLiteral("RecordingDuration")] = duration;
    o[QStringLiteral("RecordingType")] = QStringLiteral("continuous");
    o[QStringLiteral("TrackingSystemName")] = QStringLiteral("motion-sensor ball %1 on %2").arg(ball.number).arg(ball.port);
    o[QStringLiteral("ManufacturersModelName")] = QStringLiteral("motion-sensor ball");
    o[QStringLiteral("SoftwareVersions")] = QStringLiteral(MIRELVANE_FILE_VERSION);
    o[QStringLiteral("TrackedPointsCount")] = 1;
    o[QStringLiteral("ACCELChannelCount")] = 3;
    o[QStringLiteral("GYROChannelCount")] = 3;
    o[QStringLiteral("ORNTChannelCount")] = 3;
    o[QStringLiteral("LATENCYChannelCount")] = plan.sharedTime ? 2 : 1;
    o[QStringLiteral("MotionChannelCount")] = plan.sharedTime ? 11 : 10;
    QString timeBase = QStringLiteral(
        "Channel t: seconds on the ball's own clock, as stamped in each line (record time of "
        "the journal; it goes on after a restart or a gap of the ball).");
    if (plan.sharedTime)
        timeBase += QStringLiteral(
            " Channel t_host: seconds on the host's monotonic clock from the first sample of all "
            "tracking systems of this recording, fitted over the ball's clock; shared by them.");
    o[QStringLiteral("Instructions")] = QStringLiteral("n/a");
    o[QStringLiteral("TaskDescription")] = timeBase;
    return o;
}

bool WriteBidsDataset(const tExportPlan& plan, std::vector<tBallExport>& balls) {
    tBallExport& first = balls.front();
    const QDir root(plan.out);
    QJsonObject description;
    description[QStringLiteral("Name")] = QStringLiteral("Motion-sensor ball recording");
    description[QStringLiteral("BIDSVersion")] = QStringLiteral("1.9.0");
    description[QStringLiteral("DatasetType")] = QStringLiteral("raw");
    QJsonObject generator;
    generator[QStringLiteral("Name")] = QStringLiteral("mirelvane-record");
    generator[QStringLiteral("Version")] = QStringLiteral(MIRELVANE_FILE_VERSION);
    description[QStringLiteral("GeneratedBy")] = QJsonArray{generator};
    bool ok = true;
    const QString descriptionPath = root.filePath(QStringLiteral("dataset_description.json"));
    if (!QFile::exists(descriptionPath)) ok &= WriteFile(first, descriptionPath, Json(description));
    const QString readme = root.filePath(QStringLiteral("README"));
    if (!QFile::exists(readme))
        ok &= WriteFile(first, readme,
                        "Recordings of the motion-sensor ball, written by mirelvane-record.\n\n"
                        "Each tracking system (tracksys-ball1, -ball2, ...) is one ball. Its motion "
                        "file holds, per sample, the ball's own time (t, seconds), the acceleration "
                        "(m/s^2), the angular rate (deg/s) and the orientation angles (deg) about X, "
                        "Y and Z; with several balls also t_host, the host's monotonic clock in "
                        "seconds from the first sample of any ball, shared by all balls. The events "
                        "are the marks given while recording. The journals as recorded, which the "
                        "program opens again, are in sourcedata/.\n");
    // The participants list gains the subject once.
    const QString participants = root.filePath(QStringLiteral("participants.tsv"));
    QFile existing(participants);
    QByteArray list = existing.open(QIODevice::ReadOnly) ? existing.readAll() : QByteArray("participant_id\n");
    const QByteArray row = "sub-" + plan.subject.toUtf8();
    if (!list.split('\n').contains(row)) {
        if (!list.endsWith('\n')) list += '\n';
        ok &= WriteFile(first, participants, list + row + '\n');
    }
    return ok;
}
}  // namespace

QString FreeBase(const QString& base, const QStringList& suffixes) {
    for (int n = 1;; ++n) {
        const QString candidate = n == 1 ? base : base + QStringLiteral("-%1").arg(n);
        bool free = true;
        for (const QString& suffix : suffixes) free &= !QFileInfo::exists(candidate + suffix);
        if (free) return candidate;
    }
}

bool ExportRecording(const tExportPlan& plan, std::vector<tBallExport>& balls, double* sharedStart) {
    std::vector<tBallPass> passes(balls.size());
    double t0 = std::numeric_limits<double>::infinity();
    bool ok = true;
    for (size_t i = 0; i < balls.size(); ++i) {
        tBallPass& pass = passes[i];
        const tRecordError error = ReadRecordFile(balls[i].journal, pass.shape, pass.info);
        if (error) ok = Fail(balls[i], RecordErrorMessage(balls[i].journal, error));
        pass.host.emplace(JournalClockPoints(pass.info));
        if (pass.host->Valid() && pass.shape.count > 0)
            t0 = std::min(t0, pass.host->At(0, pass.shape.first));
    }
    if (!std::isfinite(t0)) t0 = 0;
    if (sharedStart) *sharedStart = t0;
    if (plan.format == tRecordOptions::Bids && !balls.empty()) ok &= WriteBidsDataset(plan, balls);

    for (size_t i = 0; i < balls.size(); ++i) {
        tBallExport& ball = balls[i];
        tBallPass& pass = passes[i];
        if (!ball.error.isEmpty()) continue;
        pass.host.emplace(JournalClockPoints(pass.info));
        const tEventMarks& marks = pass.info.marks;
        if (plan.format == tRecordOptions::Window) {
            const QString path = ball.base + QStringLiteral(".csv");
            ok &= WriteRows(ball, path, pass, plan, t0);
            // The window's own events file beside its export.
            if (!marks.IsEmpty())
                ok &= WriteFile(ball, EventsFileName(path),
                                BuildEventsFile(marks, 0.0, FormatSettings().DecimalSeparator));
            continue;
        }
        if (plan.format == tRecordOptions::Data) {
            ok &= WriteRows(ball, ball.base + QStringLiteral(".tsv"), pass, plan, t0);
            if (!marks.IsEmpty())
                ok &= WriteFile(ball, ball.base + QStringLiteral("_events.tsv"), DataEvents(marks));
            continue;
        }
        const QString folder = QDir(plan.out).filePath(
            QStringLiteral("sub-%1/motion").arg(plan.subject));
        if (!QDir().mkpath(folder)) {
            ok = Fail(ball, QStringLiteral("cannot create the folder %1").arg(folder));
            continue;
        }
        const QString stem = QDir(folder).filePath(
            QStringLiteral("sub-%1_task-%2_tracksys-ball%3").arg(plan.subject, plan.task).arg(ball.number));
        // A later recording of the same subject and task becomes its next run.
        QString named = stem;
        for (int run = 2; QFileInfo::exists(named + QStringLiteral("_motion.tsv")); ++run)
            named = stem + QStringLiteral("_run-%1").arg(run);
        ok &= WriteRows(ball, named + QStringLiteral("_motion.tsv"), pass, plan, t0);
        ok &= WriteFile(ball, named + QStringLiteral("_channels.tsv"), BidsChannels(plan.sharedTime));
        ok &= WriteFile(ball, named + QStringLiteral("_motion.json"), Json(BidsSidecar(ball, pass, plan)));
        ok &= WriteFile(ball, named + QStringLiteral("_events.tsv"), BidsEvents(marks, pass.shape.first));
    }
    return ok;
}
