#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

class tDevice;
class tDeviceDetector;
class tSettings;

// Watches for a lost ball to come back. Every second it probes the port the ball was on, and
// the other ports too when the port list has changed since it last looked (a ball plugged in
// again may get another name). A probe runs on a detector's own thread and identifies the ball
// as a connect does, so the event loop never waits for it; a port that another program holds
// fails its exclusive open and is left alone.
class tReconnectWatch {
public:
    using tFound = std::function<void(std::unique_ptr<tDevice>)>;

    // `settings` is not owned ("Ports", and the driver's own keys).
    explicit tReconnectWatch(tSettings* settings);
    ~tReconnectWatch();
    tReconnectWatch(const tReconnectWatch&) = delete;
    tReconnectWatch& operator=(const tReconnectWatch&) = delete;

    // Starts watching for the ball lost on `port`; `found` gets the identified driver, after
    // which the watch has ended.
    void Start(const QString& port, tFound found);
    // Ends the watch; a probe still running is waited for and its result closed.
    void Cancel();
    bool IsWatching() const { return everySecond_.isActive(); }
    const QString& LostPort() const { return port_; }

private:
    QStringList CurrentPorts() const;
    void PlanProbes();
    void ProbeNext();
    void CheckProbe();

    tSettings* settings_;
    QString port_;
    tFound found_;
    QStringList knownPorts_;
    QStringList planned_;
    std::unique_ptr<tDeviceDetector> probe_;
    QTimer everySecond_;
    QTimer probeCheck_;
};
