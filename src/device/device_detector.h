#pragma once

#include <QString>
#include <memory>
#include <shared_mutex>

#include "device/port_failure.h"
#include "device/thread_base.h"

class tDevice;
class tSettings;

// Probes one port on a thread of its own: opens it with a driver and asks for the
// identification. The driver that passes is kept as the result; whoever takes it with
// TakeDevice owns it. Starts running at construction; its creator waits for it and destroys it.
class tDeviceDetector final : public tThread {
public:
    tDeviceDetector(const QString& portName, tSettings* settings);
    // Destroys a result that nobody took.
    ~tDeviceDetector() override;

    // The identified driver, or null; it stays the detector's.
    tDevice* GetDevice() const;
    // Hands the identified driver over, or null.
    std::unique_ptr<tDevice> TakeDevice();
    const QString& GetPortName() const { return portName_; }
    // Why the port gave no ball; valid once the detector has ended without a device.
    tPortFailure Failure() const;

protected:
    void Execute() override;

private:
    tSettings* settings_;
    QString portName_;
    mutable std::shared_mutex resultLock_;
    std::unique_ptr<tDevice> result_;
    tPortFailure failure_;
};
