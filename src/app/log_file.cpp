#include "app/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDateTime>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "app/command_line.h"
#include "app/format_settings.h"
#include "base/exceptions.h"

tLogFile* LogFile = nullptr;

bool LogMeasureEnabled() { return FindCmdLineSwitch(QStringLiteral("LOG_MEASURE")); }

tLogFile::tLogFile(const QString& fileName) : tLogFile(fileName, CommandLine()) {}

tLogFile::tLogFile(const QString& fileName, const QStringList& arguments) {
    try {
        Open(fileName, arguments);
    } catch (...) {
        Cleanup();
        throw;
    }
}

void tLogFile::Open(const QString& fileName, const QStringList& arguments) {
    const bool existed = QFileInfo::exists(fileName);
    lock_ = std::make_unique<std::shared_mutex>();
    if (!HasSwitch(arguments, QStringLiteral("LOG"))) return;

    const QByteArray path = QFile::encodeName(fileName);
    // An existing log is appended to; a new one is created. O_APPEND keeps lines written by
    // several threads whole and in the order of their writes.
    fd_ = existed ? ::open(path.constData(), O_WRONLY | O_APPEND | O_CLOEXEC)
                  : ::open(path.constData(), O_RDWR | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        const QString full = QFileInfo(fileName).absoluteFilePath();
        throw Exception(QString(existed ? QStringLiteral("Cannot open file \"%1\". %2")
                                        : QStringLiteral("Cannot create file \"%1\". %2"))
                            .arg(full, reason));
    }
    FormatSettings().LongTimeFormat += QStringLiteral(".zzz");
}

tLogFile::~tLogFile() { tLogFile::Cleanup(); }

void tLogFile::Cleanup() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    lock_.reset();
}

void tLogFile::Write(const QByteArray& message) {
    if (fd_ < 0) return;
    const QDateTime now = QDateTime::currentDateTime();
    QByteArray line = (FormatShortDate(now) + u' ' + FormatLongTime(now)).toUtf8();
    line.reserve(line.size() + message.size() + 3);
    line += ' ';
    line += message;
    line += "\r\n";
    WriteText(line);
}

void tLogFile::WriteText(const QByteArray& text) {
    if (!lock_) return;
    std::unique_lock<std::shared_mutex> guard(*lock_);
    if (fd_ < 0) return;
    // One write call per line; a short or failed write is dropped on purpose.
    const ssize_t written = ::write(fd_, text.constData(), static_cast<size_t>(text.size()));
    (void)written;
}
