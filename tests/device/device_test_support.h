#pragma once

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/format_settings.h"
#include "app/log_file.h"
#include "app/settings.h"
#include "support/temp_folder.h"

// What LogCapture needs before its log exists: the folder of its file and the formats to put
// back afterwards.
struct LogCaptureBase {
    LogCaptureBase() : savedFormats(FormatSettings()) {}
    TempFolder folder;
    tFormatSettings savedFormats;
};

// Catches every log line as its message (without the time stamp) while it lives, and makes
// itself the process's log.
class LogCapture : private LogCaptureBase, public tLogFile {
public:
    LogCapture() : tLogFile(folder.Path(QStringLiteral("capture.log")), {"tests", "-LOG"}) {
        FormatSettings().ShortDateFormat = QStringLiteral("yyyy-MM-dd");
        FormatSettings().LongTimeFormat = QStringLiteral("HH:mm:ss.zzz");
        previous_ = LogFile;
        LogFile = this;
    }
    ~LogCapture() override {
        LogFile = previous_;
        FormatSettings() = savedFormats;
    }

    void WriteText(const QByteArray& text) override {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.push_back(text.mid(kStampLength, text.size() - kStampLength - 2));
    }

    // A copy of its own: the list that the writers append to is never shared with a reader.
    QList<QByteArray> Messages() const {
        std::lock_guard<std::mutex> guard(lock_);
        QList<QByteArray> copy;
        copy.reserve(static_cast<qsizetype>(messages_.size()));
        for (const QByteArray& m : messages_) copy.append(QByteArray(m.constData(), m.size()));
        return copy;
    }
    int Count(const QByteArray& message) const { return Messages().count(message); }
    int CountStartingWith(const QByteArray& prefix) const {
        int n = 0;
        for (const QByteArray& m : Messages()) n += m.startsWith(prefix) ? 1 : 0;
        return n;
    }
    int IndexOf(const QByteArray& message, int from = 0) const {
        return static_cast<int>(Messages().indexOf(message, from));
    }
    void Clear() {
        std::lock_guard<std::mutex> guard(lock_);
        messages_.clear();
    }

private:
    static constexpr int kStampLength = 24;  // "yyyy-MM-dd HH:mm:ss.zzz "

    tLogFile* previous_ = nullptr;
    mutable std::mutex lock_;
    std::vector<QByteArray> messages_;
};

// Settings for a test: no wait after opening a port unless a test asks for one.
inline std::unique_ptr<tSettings> MakeSettings(const QList<QPair<QString, QString>>& values = {}) {
    auto settings = std::make_unique<tSettings>();
    settings->SetSettingByName(QStringLiteral("Timeout"), QStringLiteral("0"));
    for (const auto& [name, value] : values) settings->SetSettingByName(name, value);
    return settings;
}

// Polls `condition` until it holds or `limitMs` passed; the limit only stops a broken test.
inline bool WaitUntil(const std::function<bool()>& condition, int limitMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline QByteArray ReadWholeFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A pseudo-terminal whose master side the test drives byte by byte: the peer of tests that
// need exact read boundaries.
class PtyPeer {
public:
    PtyPeer() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
        termios t;
        if (::tcgetattr(master_, &t) == 0) {
            ::cfmakeraw(&t);
            ::tcsetattr(master_, TCSANOW, &t);
        }
        path_ = QString::fromLocal8Bit(::ptsname(master_));
    }
    ~PtyPeer() { Unplug(); }
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const QString& Path() const { return path_; }
    bool Send(const QByteArray& bytes) {
        return ::write(master_, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    }
    // What the program wrote so far (waits up to 100 ms for the first byte).
    QByteArray Received() {
        QByteArray bytes;
        char buffer[4096];
        for (int round = 0; round < 20; ++round) {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(master_, &set);
            timeval wait{0, round == 0 ? 100000 : 0};
            if (::select(master_ + 1, &set, nullptr, nullptr, &wait) <= 0) break;
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            bytes.append(buffer, static_cast<int>(n));
        }
        return bytes;
    }
    void Unplug() {
        if (master_ >= 0) ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    QString path_;
};
