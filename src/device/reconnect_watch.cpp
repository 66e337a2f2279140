#include "device/reconnect_watch.h"

#include "app/log_file.h"
#include "device/device.h"
#include "device/device_detector.h"
#include "device/port_list.h"

namespace {
constexpr int kProbeEveryMs = 1000;
constexpr int kProbeCheckMs = 50;
}  // namespace

tReconnectWatch::tReconnectWatch(tSettings* settings) : settings_(settings) {
    everySecond_.setInterval(kProbeEveryMs);
    probeCheck_.setInterval(kProbeCheckMs);
    QObject::connect(&everySecond_, &QTimer::timeout, [this] { PlanProbes(); });
    QObject::connect(&probeCheck_, &QTimer::timeout, [this] { CheckProbe(); });
}

tReconnectWatch::~tReconnectWatch() { Cancel(); }

void tReconnectWatch::Start(const QString& port, tFound found) {
    Cancel();
    port_ = port;
    found_ = std::move(found);
    knownPorts_ = CurrentPorts();
    LogFile->Write("RECONNECT: watching " + port.toUtf8());
    everySecond_.start();
}

void tReconnectWatch::Cancel() {
    everySecond_.stop();
    probeCheck_.stop();
    planned_.clear();
    probe_.reset();
    found_ = nullptr;
}

QStringList tReconnectWatch::CurrentPorts() const {
    tPortList list(settings_);
    QStringList paths;
    if (!list.OpenKey()) return paths;
    for (const QString& name : list.GetValueNames()) {
        try {
            paths << list.ReadString(name);
        } catch (...) {
            // A port that vanished between the two reads is not probed.
        }
    }
    return paths;
}

void tReconnectWatch::PlanProbes() {
    if (probe_ || !planned_.isEmpty()) return;  // the last round is still running
    planned_ << port_;
    const QStringList ports = CurrentPorts();
    if (ports != knownPorts_) {
        knownPorts_ = ports;
        for (const QString& path : ports)
            if (path != port_) planned_ << path;
    }
    ProbeNext();
}

void tReconnectWatch::ProbeNext() {
    if (planned_.isEmpty()) return;
    probe_ = std::make_unique<tDeviceDetector>(planned_.takeFirst(), settings_);
    probeCheck_.start();
}

void tReconnectWatch::CheckProbe() {
    if (!probe_ || !probe_->Finished()) return;
    probeCheck_.stop();
    std::unique_ptr<tDevice> device = probe_->TakeDevice();
    probe_.reset();
    if (!device) {
        ProbeNext();
        return;
    }
    LogFile->Write("RECONNECT: found on " + device->GetPortName().toUtf8());
    tFound found = std::move(found_);
    Cancel();
    if (found) found(std::move(device));
}
