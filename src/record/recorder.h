#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <vector>

#include "record/command_reader.h"
#include "record/record_options.h"

class QEventLoop;
class QSocketNotifier;
class tSettings;
class tTerminationSignals;

// The recorder of mirelvane-record: connects the balls, runs one headless measurement for each
// with itself as a listener, takes commands from standard input and the end from a limit, a
// command or a signal, and writes the exports from the journals at the end. Nothing of the
// record stays in memory: the journals hold it.
class tRecorder : public QObject {
public:
    tRecorder(const tRecordOptions& options, const QString& programPath);
    ~tRecorder() override;

    // The whole recording; returns the exit code (record_options.h).
    int Run();

    // A command of standard input, as a pipe would give it.
    void Handle(const tRecordCommand& command);

    // A line for the user: events to standard output, errors to standard error.
    void Event(const QString& text);
    void Error(const QString& text);

private:
    struct tBall;

    int Prepare();
    bool LoadSettings(QString& error);
    std::unique_ptr<tSettings> BallSettings(const QString& port) const;
    int ConnectBalls();
    bool ConnectBall(const QString& port, bool named);
    bool ApplySettings(tBall& ball, QString& error);
    void Start();
    void Finish(const QString& why, const QString& signal = QString());
    void ReadInput();
    void PrintStatus();
    void CheckEnd();
    void BallLostFor(tBall& ball);
    void JournalFailedFor(tBall& ball, const QString& reason);
    int WriteFiles();

    tRecordOptions options_;
    QString programPath_;
    QString out_;  // absolute
    std::unique_ptr<tSettings> settings_;
    std::vector<std::unique_ptr<tBall>> balls_;
    tCommandReader commands_;
    std::unique_ptr<QSocketNotifier> input_;
    std::unique_ptr<tTerminationSignals> signals_;
    QTimer status_;
    QTimer duration_;
    QElapsedTimer clock_;
    QEventLoop* loop_ = nullptr;
    bool finished_ = false;
    bool fileFailed_ = false;
    bool statusLines_ = false;
};
