#pragma once

#include <QObject>
#include <QString>
#include <memory>

class QSocketNotifier;

// Brings SIGTERM, SIGHUP and SIGINT (a shutdown, a closed terminal, Ctrl+C, a service manager)
// onto the event loop: the handler only writes the signal's number into a pipe, and a notifier
// on the pipe's other end emits `received` where anything may be done, such as ending a
// measurement with every line it received. One may live at a time; it puts the previous
// handlers back when it goes.
class tTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit tTerminationSignals(QObject* parent = nullptr);
    ~tTerminationSignals() override;
    tTerminationSignals(const tTerminationSignals&) = delete;
    tTerminationSignals& operator=(const tTerminationSignals&) = delete;

    // False when the pipe or a handler could not be set up (the signals then act as before).
    bool IsActive() const { return active_; }
    // "SIGTERM", "SIGHUP", "SIGINT", or "signal <n>".
    static QString Name(int signal);

signals:
    void received(int signal);

private:
    void ReadPipe();

    bool active_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};
