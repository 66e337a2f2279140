#include "device/device.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "app/int_conversion.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "base/builtin_texts.h"
#include "device/log_text.h"
#include "device/measure_thread.h"

namespace {
constexpr int kExchangeTimeoutMs = 500;
constexpr int kValueReplyLength = 10;
constexpr int kIdReplyLength = 15;
constexpr char kIdReply[] = "Tamvisk KIVRA\r\n";
constexpr int kStopSettleMs = 300;

void SleepMs(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

QByteArray BinText(const char* prefix, const char* data, int count) {
    return QByteArray(prefix) + QByteArray(data, count) + '\'';
}
}  // namespace

int ParseValueReply(const QByteArray& reply) {
    int begin = 0;
    int end = static_cast<int>(reply.size());
    while (begin < end && static_cast<unsigned char>(reply[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(reply[end - 1]) <= 32) --end;
    if (begin == end) return -1;
    bool negative = false;
    if (reply[begin] == '+' || reply[begin] == '-') negative = reply[begin++] == '-';
    if (begin == end) return -1;
    long long value = 0;
    for (int i = begin; i < end; ++i) {
        if (reply[i] < '0' || reply[i] > '9') return -1;
        value = value * 10 + (reply[i] - '0');
        if (value > 2147483648LL) return -1;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return -1;
    return static_cast<int>(value);
}

tDevice::tDevice(const QString& portName, tSettings* settings)
    : portName_(portName), settings_(settings) {}

tDevice::~tDevice() { Close(); }

int tDevice::SettingOrDefault(const char* key, int defaultValue) const {
    if (!settings_) return defaultValue;
    return StrToIntDef(settings_->GetSettingByName(QLatin1String(key)), defaultValue);
}

bool tDevice::Open(QString& errorText) {
    openError_ = 0;
    if (!port_.Open(portName_)) {
        openError_ = port_.LastError();
        errorText = FormatPercentS(LoadStr(1007), portName_, port_.LastErrorText());
        return false;
    }
    port_.SetRts(true);
    port_.SetBreak(false);
    int status = 0;
    if (!port_.GetModemStatus(&status)) {
        errorText = LangConst(QStringLiteral("LC_CANT_GET_DEVICE_STATE")) + portName_ + u'.';
        return false;
    }
    SleepMs(SettingOrDefault("Timeout", 1000));  // a negative wait counts as none
    if (!port_.ConfigureLine()) {
        errorText = FormatPercentS(LoadStr(1008), portName_, port_.LastErrorText());
        return false;
    }
    port_.SetTimeouts(tSerialPort::tTimeouts{kExchangeTimeoutMs, kExchangeTimeoutMs});
    port_.Purge();
    return true;
}

bool tDevice::Close() {
    // The owner should have stopped the measurement; a stream thread must not outlive its
    // port, so one that still runs is ended here.
    thread_.reset();
    if (!port_.IsOpen()) return false;
    port_.SetBreak(true);
    return port_.Close();
}

bool tDevice::WriteRequest(const char* request, int length) {
    LogFile->Write("SEND: write bytes " + QByteArray::number(length));
    LogFile->Write("SEND: HEX " + HexBytes(request, length, " "));
    LogFile->Write(BinText("SEND: BIN '", request, length));
    if (length == 0) return true;
    int written = 0;
    return port_.Write(request, length, &written) && written == length;
}

void tDevice::ReadReply(int replyLength, char* reply, bool* ok) {
    int delivered = 0;
    *ok = port_.Read(reply, replyLength, &delivered) && delivered == replyLength;
    LogFile->Write("RECV: read bytes " + QByteArray::number(delivered));
    LogFile->Write("RECV: HEX " + HexBytes(reply, delivered, " "));
    LogFile->Write(BinText("RECV: BIN '", reply, delivered));
}

bool tDevice::Transact(const char* request, int length, int timeoutMs, int replyLength,
                       char* reply) {
    tSerialPort::tTimeouts timeouts = port_.GetTimeouts();
    if (replyLength > 0 && timeouts.ReadTotalMs != timeoutMs) {
        timeouts.ReadTotalMs = timeoutMs;
        port_.SetTimeouts(timeouts);
    }
    if (length > 0 && !thread_) {
        LogFile->Write("SEND: purge comm");
        port_.Purge();
    }
    bool ok = WriteRequest(request, length);
    if (ok) LogFile->Write("SEND: request written");
    LogFile->Write("RECV: try to read bytes " + QByteArray::number(replyLength));
    if (ok && replyLength > 0) ReadReply(replyLength, reply, &ok);
    LogFile->Write("");
    return ok;
}

bool tDevice::Identify() {
    int attempts = SettingOrDefault("CheckCount", 5);
    if (attempts <= 0) attempts = 5;
    // Slow adapters may need longer than the usual half second for the answer.
    int timeoutMs = SettingOrDefault("CheckTimeout", kExchangeTimeoutMs);
    if (timeoutMs < 1) timeoutMs = kExchangeTimeoutMs;
    // The last attempt decides what is reported: no reply, or a reply that is not the ball's.
    bool replied = false;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        char reply[kIdReplyLength] = {};
        replied = Transact("I\r\n", 3, timeoutMs, kIdReplyLength, reply);
        if (replied && std::memcmp(reply, kIdReply, kIdReplyLength) == 0) {
            replyWasWrong_ = false;
            return true;
        }
    }
    replyWasWrong_ = replied;
    const char* failure = replyWasWrong_ ? "ID NOT FOUND IN RESPONSE" : "READ ID FAILED";
    LogFile->Write("CHECK: " + portName_.toUtf8() + ' ' + failure);
    return false;
}

bool tDevice::StartMeasure() {
    if (!thread_)
        thread_ = std::make_unique<tMeasureThread>(&port_, SettingOrDefault("LostTimeout", 2000));
    return true;
}

bool tDevice::LinkLost() const { return thread_ && thread_->LinkLost(); }

QByteArray tDevice::LossReason() const { return thread_ ? thread_->LossReason() : QByteArray(); }

bool tDevice::StopMeasure(tPacketQueue* rest) {
    if (thread_) {
        thread_->Terminate();
        thread_->WaitFor();
        if (rest) thread_->TakePackets(*rest);
        thread_.reset();
    }
    const bool written = Transact("T\r\n", 3, kExchangeTimeoutMs, 0, nullptr);
    // Lines that the ball sent before it stopped are dropped.
    SleepMs(kStopSettleMs);
    port_.Purge();
    return written;
}

int tDevice::TakePackets(tPacketQueue& queue) {
    if (!thread_) return 0;
    return thread_->TakePackets(queue);
}

bool tDevice::SendCommand(const QByteArray& request) {
    if (thread_) {
        thread_->PostCommand(request);
        return true;
    }
    return SendDirect(request);
}

bool tDevice::SetMotorPower(int power) {
    return SendCommand("P M1:" + QByteArray::number(power) + "*0\r\n");
}

void tDevice::SendImpulse(int power, int durationMs) {
    SendCommand("P M1:" + QByteArray::number(power) + '*' + QByteArray::number(durationMs) +
                "\r\n");
}

int tDevice::ReadValue(const QByteArray& request) {
    // While streaming the port is the stream thread's, and a reply would be lost in the stream.
    if (thread_) return -1;
    char reply[kValueReplyLength + 1] = {};
    if (!Transact(request.constData(), static_cast<int>(request.size()), kExchangeTimeoutMs,
                  kValueReplyLength, reply))
        return -1;
    return ParseValueReply(QByteArray(reply, kValueReplyLength));
}

int tDevice::ReadDeviceTime() { return ReadValue("?\r\n"); }
int tDevice::ReadBattery() { return ReadValue("B\r\n"); }
int tDevice::SetAccRange(int index) { return ReadValue("P A0:" + QByteArray::number(index) + "\r\n"); }
int tDevice::SetGyroRange(int index) { return ReadValue("P G0:" + QByteArray::number(index) + "\r\n"); }
bool tDevice::SendDirect(const QByteArray& request) {
    if (thread_) return false;  // the port is the stream thread's
    return Transact(request.constData(), static_cast<int>(request.size()), kExchangeTimeoutMs, 0,
                    nullptr);
}

void tDevice::Calibrate() { SendDirect("C\r\n"); }
void tDevice::CalibrateAcc() { SendDirect("O\r\n"); }
