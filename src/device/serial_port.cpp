#include "device/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for `events` until the deadline; false when the time ran out or the wait failed.
bool WaitFor(int fd, short events, Clock::time_point deadline, bool* failed) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
        if (ready > 0) return true;  // also on POLLHUP/POLLERR: the next call tells what failed
        if (ready == 0) return false;
        if (errno != EINTR) {
            *failed = true;
            return false;
        }
    }
}
}  // namespace

tSerialPort::~tSerialPort() { Close(); }

bool tSerialPort::Fail() {
    lastError_ = errno;
    return false;
}

QString tSerialPort::LastErrorText() const {
    return QString::fromLocal8Bit(std::strerror(lastError_));
}

bool tSerialPort::Open(const QString& path) {
    Close();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail();
    // flock stops root too and tells of a holder that opened the port before us; TIOCEXCL
    // keeps other opens out (root passes it). The lock comes first: the exclusive flag is the
    // terminal's, not the descriptor's, and set on a port that another program holds it would
    // stay behind when this descriptor closes.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        lastError_ = (errno == EWOULDBLOCK) ? EBUSY : errno;
        ::close(fd);
        return false;
    }
    if (::isatty(fd)) (void)::ioctl(fd, TIOCEXCL);
    fd_ = fd;
    lastError_ = 0;
    return true;
}

bool tSerialPort::Close() {
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    // The exclusive flag outlives this descriptor while others hold the terminal open (a
    // simulator keeps its slave side open), and would then lock out the next open.
    (void)::ioctl(fd, TIOCNXCL);
    if (::close(fd) != 0) return Fail();
    return true;
}

bool tSerialPort::IsPseudoTerminalQuirk(int error) const {
    termios t;
    return (error == ENOTTY || error == EINVAL) && ::tcgetattr(fd_, &t) == 0;
}

bool tSerialPort::ConfigureLine() {
    termios t;
    std::memset(&t, 0, sizeof t);
    (void)::tcgetattr(fd_, &t);
    const tcflag_t flowControl = t.c_cflag & CRTSCTS;
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B115200);
    t.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    t.c_cflag |= CS8 | CLOCAL | CREAD | flowControl;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return Fail();
    return SetRts(true);
}

bool tSerialPort::SetRts(bool on) {
    int bits = TIOCM_RTS;
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) == 0) return true;
    return IsPseudoTerminalQuirk(errno) || Fail();
}

bool tSerialPort::SetBreak(bool on) {
    if (::ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0) return true;
    return IsPseudoTerminalQuirk(errno) || Fail();
}

bool tSerialPort::GetModemStatus(int* status) {
    *status = 0;
    if (::ioctl(fd_, TIOCMGET, status) == 0) return true;
    *status = 0;
    return IsPseudoTerminalQuirk(errno) || Fail();
}

bool tSerialPort::Purge() {
    // Output is flushed only while some is still queued: a pseudo-terminal queues nothing on
    // its side, and flushing there would throw away what the peer has not read yet.
    int queued = 0;
    const bool outputWaits = ::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued > 0;
    return ::tcflush(fd_, outputWaits ? TCIOFLUSH : TCIFLUSH) == 0 || Fail();
}

int tSerialPort::InputWaiting() const {
    int waiting = 0;
    return fd_ >= 0 && ::ioctl(fd_, FIONREAD, &waiting) == 0 ? waiting : 0;
}

bool tSerialPort::Read(char* buffer, int count, int* delivered) {
    *delivered = 0;
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.ReadTotalMs);
    bool readable = false;
    while (*delivered < count) {
        const int asked = count - *delivered;
        const ssize_t n = ::read(fd_, buffer + *delivered, static_cast<size_t>(asked));
        if (n > 0) {
            *delivered += static_cast<int>(n);
            readable = false;
            // A short read took all there was: wait for more rather than ask again at once.
            if (n < asked) {
                bool failed = false;
                readable = WaitFor(fd_, POLLIN, deadline, &failed);
                if (!readable) return !failed || Fail();
            }
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Fail();
        if (n == 0 && readable) {
            // Readable, yet nothing to read: the line has hung up.
            lastError_ = EIO;
            return false;
        }
        bool failed = false;
        readable = WaitFor(fd_, POLLIN, deadline, &failed);
        if (!readable) return !failed || Fail();
    }
    return true;
}

bool tSerialPort::Write(const char* data, int count, int* written) {
    *written = 0;
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts_.WriteTotalMs);
    while (*written < count) {
        const ssize_t n = ::write(fd_, data + *written, static_cast<size_t>(count - *written));
        if (n > 0) {
            *written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) return Fail();
        bool failed = false;
        if (!WaitFor(fd_, POLLOUT, deadline, &failed)) return !failed || Fail();
    }
    WaitUntilSent(deadline);
    return true;
}

void tSerialPort::WaitUntilSent(std::chrono::steady_clock::time_point deadline) const {
    // A write is done when the bytes are on the line, so that a purge right after it cannot
    // discard them.
    int queued = 0;
    while (::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 && MillisecondsLeft(deadline) > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}
