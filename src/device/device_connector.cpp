#include "device/device_connector.h"

#include <chrono>
#include <exception>
#include <thread>
#include <vector>

#include "app/log_file.h"
#include "base/builtin_texts.h"
#include "base/exceptions.h"
#include "device/device_detector.h"
#include "device/port_list.h"

namespace {
constexpr int kPauseBetweenPortsMs = 100;
constexpr int kIdleSliceMs = 20;

// Clears a flag when the scope ends, however it ends.
class tFlagGuard {
public:
    explicit tFlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~tFlagGuard() { flag_ = false; }
    tFlagGuard(const tFlagGuard&) = delete;
    tFlagGuard& operator=(const tFlagGuard&) = delete;

private:
    bool& flag_;
};
}  // namespace

tDeviceConnector::tDeviceConnector(tSettings* settings) : settings_(settings) {}

void tDeviceConnector::DisconnectDevice(tConnection& connection) {
    connection.Device.reset();
    connection.DevTime = -1;
}

void tDeviceConnector::WaitForDetector(tDeviceDetector& detector) {
    if (!idle_) {
        detector.WaitFor();
        return;
    }
    while (!detector.WaitFor(kIdleSliceMs)) idle_();
}

void tDeviceConnector::Pause(int ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              end - std::chrono::steady_clock::now())
                              .count();
        if (left <= 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(
            left, idle_ ? kIdleSliceMs : left)));
        if (idle_) idle_();
    }
}

void tDeviceConnector::ProbePorts(const tPortList& ports, tConnection& connection) {
    std::vector<std::unique_ptr<tDeviceDetector>> detectors;
    LogFile->Write("Object list created.");
    const QStringList names = ports.GetValueNames();
    LogFile->Write("Get Value Names.");
    if (names.isEmpty()) throw Exception(LangConst(QStringLiteral("LC_NO_COM_PORTS")));

    for (const QString& name : names) {
        try {
            detectors.push_back(std::make_unique<tDeviceDetector>(ports.ReadString(name), settings_));
            WaitForDetector(*detectors.back());
            Pause(kPauseBetweenPortsMs);
        } catch (const Exception& e) {
            LogFile->Write(e.Message());
            portFailures_.append(tPortFailure::Unexplained(name, e.Message()));
        }
    }
    // The first port in list order that passed wins; later passing ports are closed again.
    for (auto& detector : detectors) {
        WaitForDetector(*detector);
        std::unique_ptr<tDevice> device = detector->TakeDevice();
        if (device && !connection.Device) connection.Device = std::move(device);
        else if (!device)
            portFailures_.append(detector->Failure());
    }
}

QString tDeviceConnector::ConnectDevice(tConnection& connection) {
    if (connecting_) return QStringLiteral("A connect is already running.");
    tFlagGuard busy(connecting_);
    if (connection.Device) DisconnectDevice(connection);
    portFailures_.clear();

    tPortList ports(settings_);
    LogFile->Write("Registry created");
    LogFile->Write("StringList created");
    QString failure;
    try {
        LogFile->Write("Rootkey!");
        if (!ports.OpenKey()) throw Exception(LangConst(QStringLiteral("LC_NO_COM_PORTS")));
        LogFile->Write("Key opened.");
        ProbePorts(ports, connection);
        if (!connection.Device) throw Exception(LangConst(QStringLiteral("LC_DEVICE_NOT_FOUND")));
        connection.DevTime = connection.Device->ReadDeviceTime();
        LogFile->Write("DevTime:" + QByteArray::number(connection.DevTime));
        if (batteryStep_) batteryStep_(*connection.Device);
    } catch (const Exception& e) {
        failure = e.Message();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    if (!failure.isEmpty()) LogFile->Write("COM: " + failure);
    return failure;
}
