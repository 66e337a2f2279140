#pragma once

#include <QString>
#include <QVector>
#include <functional>
#include <memory>

#include "device/device.h"
#include "device/port_failure.h"

class tDeviceDetector;
class tPortList;
class tSettings;

// What the main window keeps of a connection: the connected driver (null when none) and the
// device time read at connect (-1 when disconnected or when the request failed).
struct tConnection {
    std::unique_ptr<tDevice> Device;
    int DevTime = -1;
};

// The connect and disconnect sequence of the main window, without widgets: lists the ports,
// probes them one after another with a detector each (100 ms apart), keeps the first driver
// that passes, reads the device time and runs the battery step. Every step goes to the log;
// what the user could be told comes back as the return text.
class tDeviceConnector {
public:
    using tBatteryStep = std::function<void(tDevice&)>;
    using tIdle = std::function<void()>;

    explicit tDeviceConnector(tSettings* settings);

    // Run once after a device was found and its time read (the window shows the battery).
    void SetBatteryStep(tBatteryStep step) { batteryStep_ = std::move(step); }
    // Run about every 20 ms while a probe runs and during the pauses between probes, so that a
    // window can repaint; it must not start another connect or destroy the connector.
    void SetIdle(tIdle idle) { idle_ = std::move(idle); }

    // Disconnects what `connection` holds, then connects. Returns "" when a device was found,
    // else the text written after "COM: " (LC_NO_COM_PORTS, LC_DEVICE_NOT_FOUND, or the text
    // of an unexpected failure). Never raises.
    QString ConnectDevice(tConnection& connection);
    // Destroys the driver (break set, port closed; a running stream is ended first) and sets
    // the device time to -1.
    static void DisconnectDevice(tConnection& connection);
    // Why each probed port gave no ball, in probe order, from the last ConnectDevice.
    const QVector<tPortFailure>& PortFailures() const { return portFailures_; }

private:
    void ProbePorts(const tPortList& ports, tConnection& connection);
    void WaitForDetector(tDeviceDetector& detector);
    void Pause(int ms);

    tSettings* settings_;
    tBatteryStep batteryStep_;
    tIdle idle_;
    bool connecting_ = false;
    QVector<tPortFailure> portFailures_;
};
