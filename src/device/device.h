#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "device/packet.h"
#include "device/serial_port.h"

class tMeasureThread;
class tSettings;

// The driver of one ball on one serial port: opens and configures the port, identifies the
// peer and carries every request. While a measurement runs the stream thread has the port to
// itself; the motor requests are then posted to it. Operations never raise: they report by
// result (false, or -1 for a value) and write their steps to the log.
class tDevice {
public:
    // The port is not touched. `settings` is not owned ("Timeout", "CheckCount",
    // "CheckTimeout").
    tDevice(const QString& portName, tSettings* settings);
    // Ends a stream thread that still runs, then closes the port.
    virtual ~tDevice();
    tDevice(const tDevice&) = delete;
    tDevice& operator=(const tDevice&) = delete;

    // True when the port is open and configured; otherwise false with the text for the user.
    bool Open(QString& errorText);
    // Ends a stream thread that still runs, sets break and closes the port; true when it was
    // closed.
    virtual bool Close();

    // Writes `length` request bytes (purging first unless a stream thread exists) and, when
    // replyLength > 0, reads exactly that many bytes into `reply` within `timeoutMs`.
    bool Transact(const char* request, int length, int timeoutMs, int replyLength, char* reply);
    bool Identify();
    // After a failed Open: the errno of the port's open, 0 when the open itself passed.
    int OpenError() const { return openError_; }
    // After a failed Identify: true when something answered, but not as the ball does.
    bool ReplyWasWrong() const { return replyWasWrong_; }

    // Starts the stream thread, which writes "S\r\n" and begins to read. Always true. The
    // setting "LostTimeout" (ms, default 2000) is the silence after which the ball counts as
    // gone.
    bool StartMeasure();
    // Ends and destroys the stream thread, writes "T\r\n", waits 300 ms and purges. The chunks
    // the thread read before it ended go to the end of `rest` when given. The result is that
    // of the write.
    bool StopMeasure(tPacketQueue* rest = nullptr);
    // True when the stream thread found the ball gone (hang-up, a failing port, or silence).
    bool LinkLost() const;
    // What showed the loss, or "".
    QByteArray LossReason() const;
    bool IsMeasuring() const { return thread_ != nullptr; }
    const QString& GetPortName() const { return portName_; }
    // Moves the stream thread's chunks to the end of `queue`; returns queue.size(), or 0 with the
    // queue untouched when no stream thread exists.
    int TakePackets(tPacketQueue& queue);

    // "P M1:<power>*0": posted to the stream thread when one exists (true), else written.
    bool SetMotorPower(int power);
    // "P M1:<power>*<durationMs>", posted or written like SetMotorPower.
    void SendImpulse(int power, int durationMs);
    // Value requests: the integer reply, or -1.
    int ReadDeviceTime();
    int ReadBattery();
    int SetAccRange(int index);
    int SetGyroRange(int index);
    void Calibrate();
    void CalibrateAcc();

    // Received bytes that nobody has read yet (for tests and figures).
    int InputWaiting() const { return port_.InputWaiting(); }
    // The stream thread while a measurement runs (for tests and figures), else null.
    const tMeasureThread* MeasureThread() const { return thread_.get(); }

private:
    int ReadValue(const QByteArray& request);
    bool SendCommand(const QByteArray& request);
    bool SendDirect(const QByteArray& request);
    bool WriteRequest(const char* request, int length);
    void ReadReply(int replyLength, char* reply, bool* ok);
    int SettingOrDefault(const char* key, int defaultValue) const;

    QString portName_;
    tSerialPort port_;
    std::unique_ptr<tMeasureThread> thread_;
    tSettings* settings_;
    int openError_ = 0;
    bool replyWasWrong_ = false;
};

// The number in a value reply: the text without leading and trailing characters of codes 0 to
// 32, as a decimal integer with optional sign; -1 when it is not one.
int ParseValueReply(const QByteArray& reply);
