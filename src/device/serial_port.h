#pragma once

#include <QString>
#include <chrono>

// One serial port over POSIX termios: exclusive open, raw 115200 8N1, RTS, break, modem
// status, purge, and counted reads and writes with total time-outs. A pseudo-terminal has no
// modem lines; there the RTS and status calls count as done.
//
// Not thread-safe: one thread uses the port at a time (the driver, or the stream thread while
// it runs).
class tSerialPort {
public:
    // Total time-outs of one read and one write, in milliseconds.
    struct tTimeouts {
        int ReadTotalMs = 500;
        int WriteTotalMs = 500;
    };

    tSerialPort() = default;
    ~tSerialPort();
    tSerialPort(const tSerialPort&) = delete;
    tSerialPort& operator=(const tSerialPort&) = delete;

    // Opens an existing port for reading and writing, held by this object alone (TIOCEXCL and
    // flock). On failure the port stays closed and LastError() holds the errno.
    bool Open(const QString& path);
    bool IsOpen() const { return fd_ >= 0; }
    // True when the descriptor was closed.
    bool Close();

    // Raw 115200 baud, 8 data bits, no parity, one stop bit, RTS on; hardware flow control is
    // left as found.
    bool ConfigureLine();
    bool SetRts(bool on);
    bool SetBreak(bool on);
    // The modem lines (TIOCM_* bits); a pseudo-terminal reports 0.
    bool GetModemStatus(int* status);
    // Discards both directions.
    bool Purge();
    // The count of received bytes that nobody has read yet; 0 when closed or unknown.
    int InputWaiting() const;

    tTimeouts GetTimeouts() const { return timeouts_; }
    void SetTimeouts(const tTimeouts& timeouts) { timeouts_ = timeouts; }

    // Returns when `count` bytes have come or the read time-out has passed; `*delivered` is what
    // came. False when the port failed (gone, closed); bytes that came before stay delivered.
    bool Read(char* buffer, int count, int* delivered);
    // Returns when all bytes are written or the write time-out has passed; `*written` tells how
    // many. False when the port failed.
    bool Write(const char* data, int count, int* written);

    int LastError() const { return lastError_; }
    // The system's text for LastError().
    QString LastErrorText() const;

private:
    bool Fail();
    bool IsPseudoTerminalQuirk(int error) const;
    void WaitUntilSent(std::chrono::steady_clock::time_point deadline) const;

    int fd_ = -1;
    int lastError_ = 0;
    tTimeouts timeouts_;
};
