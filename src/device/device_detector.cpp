#include "device/device_detector.h"

#include <exception>
#include <mutex>

#include "app/log_file.h"
#include "base/exceptions.h"
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

tPortFailure tDeviceDetector::Failure() const {
    std::shared_lock<std::shared_mutex> guard(resultLock_);
    return failure_;
}

void tDeviceDetector::Execute() {
    QString failure;
    tPortFailure reason = tPortFailure::Unexplained(portName_, QString());
    try {
        auto device = std::make_unique<tDevice>(portName_, settings_);
        if (device->Open(failure)) {
            if (device->Identify()) {
                std::unique_lock<std::shared_mutex> guard(resultLock_);
                result_ = std::move(device);
                return;
            }
            failure = QStringLiteral("CHECK failed.");
            reason.kind =
                device->ReplyWasWrong() ? tPortFailure::WrongReply : tPortFailure::NoReply;
        } else if (device->OpenError() != 0) {
            reason = ClassifyOpenFailure(portName_, device->OpenError(),
                                         ReadDeviceAccess(portName_), failure);
        } else {
            reason.detail = failure;
        }
    } catch (const Exception& e) {
        failure = e.Message();
        reason.detail = failure;
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
        reason.detail = failure;
    }
    LogFile->Write("DevID " + portName_.toUtf8() + " error: " + failure.toUtf8());
    std::unique_lock<std::shared_mutex> guard(resultLock_);
    failure_ = reason;
}
