#include "model/record_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "model/sample_decoder.h"

const char kJournalExtension[] = ".mvrec";

namespace {
constexpr char kTimeFormat[] = "yyyy-MM-ddTHH:mm:ss.zzz";
constexpr char kEscape[] = "#line ";

QByteArray Number(double value) {
    return QByteArray::number(value, 'g', 17);
}

QByteArray OneLine(const QString& text) {
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

QByteArray RangeLine(const char* name, const tJournalRange& range) {
    return QByteArray("#") + name + ' ' + Number(range.min) + ' ' + Number(range.max) + ' ' +
           OneLine(range.entry) + "\r\n";
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}
}  // namespace

QByteArray JournalTimeText(const QDateTime& at) {
    return at.toString(kTimeFormat).toLatin1();
}

QDateTime ParseJournalTime(const QByteArray& text) {
    return QDateTime::fromString(QString::fromLatin1(text), kTimeFormat);
}

QByteArray JournalHeaderText(const tJournalHeader& header) {
    QByteArray text = "#mvrec " + QByteArray::number(kJournalVersion) + "\r\n";
    text += "#program " + OneLine(header.program) + "\r\n";
    text += "#start " + JournalTimeText(header.start) + "\r\n";
    text += "#port " + OneLine(header.port) + "\r\n";
    text += "#devtime " + QByteArray::number(header.devTime) + "\r\n";
    text += RangeLine("acc", header.acc);
    text += RangeLine("gyro", header.gyro);
    QByteArray relative(kChannelCount, '0');
    for (int k = 0; k < kChannelCount; ++k)
        if (header.relative[k]) relative[k] = '1';
    text += "#relative " + relative + "\r\n";
    text += "#zero";
    for (double ref : header.zeroRef) text += ' ' + Number(ref);
    text += "\r\n#battery " + QByteArray::number(header.battery) + "\r\n";
    return text;
}

QByteArray JournalEventLine(const QDateTime& at, const QString& kind, const QString& detail) {
    QByteArray line = "#event " + JournalTimeText(at) + ' ' + OneLine(kind);
    if (!detail.isEmpty()) line += ' ' + OneLine(detail);
    return line + "\r\n";
}

QString JournalFileName(const QDateTime& start) {
    return start.toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")) + QLatin1String(kJournalExtension);
}

std::unique_ptr<tRecordJournal> tRecordJournal::Create(const QString& folder,
                                                       const QDateTime& start,
                                                       const QByteArray& header, QString& error,
                                                       tTiming timing) {
    if (!QDir().mkpath(folder)) {
        error = QStringLiteral("cannot create the folder %1").arg(folder);
        return nullptr;
    }
    const QString base = JournalFileName(start).chopped(int(std::strlen(kJournalExtension)));
    for (int attempt = 1; attempt < 100; ++attempt) {
        const QString name = attempt == 1 ? base : base + QStringLiteral("_%1").arg(attempt);
        const QString path = QDir(folder).filePath(name + QLatin1String(kJournalExtension));
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) {
            error = QStringLiteral("cannot create %1: %2").arg(path, SystemError(errno));
            return nullptr;
        }
        std::unique_ptr<tRecordJournal> journal(new tRecordJournal(fd, path, timing));
        // The header is written at once, so that a folder that takes no data fails here.
        if (!journal->WriteAll(header)) {
            error = journal->Error();
            return nullptr;
        }
        journal->writer_ = std::thread([j = journal.get()] { j->Run(); });
        return journal;
    }
    error = QStringLiteral("too many journals named %1 in %2").arg(base, folder);
    return nullptr;
}

tRecordJournal::tRecordJournal(int fd, QString path, tTiming timing)
    : fd_(fd), path_(std::move(path)), timing_(timing) {}

tRecordJournal::~tRecordJournal() {
    Finish();
    if (fd_ >= 0) ::close(fd_);
}

void tRecordJournal::AppendLines(const char* bytes, int length) {
    if (!bytes || length <= 0 || Failed()) return;
    QByteArray text;
    text.reserve(length + int(sizeof kEscape));
    const char* end = bytes + length;
    for (const char* line = bytes;;) {
        const char* lineEnd = FindLineEnd(line, end);
        if (lineEnd == end) break;
        if (lineEnd > line && *line == '#') text += kEscape;
        text.append(line, lineEnd - line + 2);
        line = lineEnd + 2;
    }
    Push(text);
}

void tRecordJournal::AppendEvent(const QString& kind, const QString& detail) {
    Push(JournalEventLine(QDateTime::currentDateTime(), kind, detail));
}

void tRecordJournal::Close() {
    AppendEvent(QStringLiteral("stop"), QString());
    Finish();
}

QString tRecordJournal::Error() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return error_;
}

void tRecordJournal::Push(const QByteArray& text) {
    if (text.isEmpty()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!failed_.load() && !closing_) pending_ += text;
}

void tRecordJournal::Finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
    }
    wake_.notify_one();
    if (writer_.joinable()) writer_.join();
}

void tRecordJournal::Run() {
    using Clock = std::chrono::steady_clock;
    auto lastSync = Clock::now();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait_for(lock, timing_.flush, [this] { return closing_; });
        QByteArray out;
        out.swap(pending_);
        const bool closing = closing_;
        lock.unlock();
        bool ok = failed_.load() || WriteAll(out);
        if (ok && !failed_.load() && (closing || Clock::now() - lastSync >= timing_.sync)) {
            ok = Sync();
            lastSync = Clock::now();
        }
        lock.lock();
        if (!ok) pending_.clear();
        if (closing) return;
    }
}

bool tRecordJournal::WriteAll(const QByteArray& text) {
    const char* p = text.constData();
    qint64 left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : ENOSPC;
            std::lock_guard<std::mutex> lock(mutex_);
            error_ = QStringLiteral("cannot write %1: %2").arg(path_, SystemError(error));
            failed_.store(true);
            return false;
        }
        p += n;
        left -= n;
        written_.fetch_add(n);
    }
    return true;
}

bool tRecordJournal::Sync() {
    if (::fdatasync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
        const int error = errno;
        std::lock_guard<std::mutex> lock(mutex_);
        error_ = QStringLiteral("cannot sync %1: %2").arg(path_, SystemError(error));
        failed_.store(true);
        return false;
    }
    // A new file survives a power cut only once its folder's entry is on the disk as well.
    if (!dirSynced_) {
        const int dir = ::open(QFile::encodeName(QFileInfo(path_).absolutePath()).constData(),
                               O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        dirSynced_ = true;
    }
    return true;
}
