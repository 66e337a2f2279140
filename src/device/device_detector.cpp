#include "device/device_detector.h"

#include <exception>
#include <mutex>

#include "app/exceptions.h"
#include "app/log_file.h"
#include "device/device.h"

tDeviceDetector::tDeviceDetector(const QString& portName, tSettings* settings)
    : settings_(settings), portName_(portName) {
    Start();
}

tDeviceDetector::~tDeviceDetector() { EndThread(); }

tDevice* tDeviceDetector::GetDevice() const {
    std::shared_lock<std::shared_mutex> guard(resultLock_);
    return result_.get();
}

std::unique_ptr<tDevice> tDeviceDetector::TakeDevice() {
    std::unique_lock<std::shared_mutex> guard(resultLock_);
    return std::move(result_);
}

void tDeviceDetector::Execute() {
    QString failure;
    try {
        auto device = std::make_unique<tDevice>(portName_, settings_);
        if (device->Open(failure)) {
            if (device->Identify()) {
                std::unique_lock<std::shared_mutex> guard(resultLock_);
                result_ = std::move(device);
                return;
            }
            failure = QStringLiteral("CHECK failed.");
        }
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    LogFile->Write("DevID " + portName_.toUtf8() + " error: " + failure.toUtf8());
}
