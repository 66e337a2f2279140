#include "app/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>

QString tAtomicWriteResult::SystemMessage() const {
    return QString::fromLocal8Bit(std::strerror(error));
}

tAtomicWriteResult AtomicWriteFile(const QString& fileName, const QByteArray& content) {
    tAtomicFileWriter writer(fileName);
    writer.Write(content.constData(), content.size());
    return writer.Commit();
}

tAtomicFileWriter::tAtomicFileWriter(const QString& fileName) {
    QFileInfo info(fileName);
    // Write through a link to the file it names, so the link itself survives.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    targetPath_ = QFile::encodeName(target);

    struct stat st {};
    const bool exists = ::stat(targetPath_.constData(), &st) == 0;
    // A file the user may not write stays unwritable, even though the folder would allow the
    // rename.
    if (exists && ::access(targetPath_.constData(), W_OK) != 0) {
        result_ = {tAtomicWriteResult::Create, errno};
        return;
    }

    tempPath_ = targetPath_ + ".XXXXXX";
    fd_ = ::mkstemp(tempPath_.data());
    if (fd_ < 0) {
        result_ = {tAtomicWriteResult::Create, errno};
        tempPath_.clear();
        return;
    }
    ::fchmod(fd_, exists ? (st.st_mode & 07777) : 0644);
}

tAtomicFileWriter::~tAtomicFileWriter() {
    if (!committed_) Discard();
}

void tAtomicFileWriter::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!tempPath_.isEmpty()) ::unlink(tempPath_.constData());
    tempPath_.clear();
}

bool tAtomicFileWriter::Write(const char* data, qint64 size) {
    while (result_.ok() && size > 0) {
        const ssize_t n = ::write(fd_, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR) continue;
            result_ = {tAtomicWriteResult::Write, errno};
            break;
        }
        data += n;
        size -= n;
    }
    return result_.ok();
}

tAtomicWriteResult tAtomicFileWriter::Commit() {
    if (result_.ok() && ::fsync(fd_) != 0) result_ = {tAtomicWriteResult::Write, errno};
    if (fd_ >= 0 && ::close(fd_) != 0 && result_.ok()) result_ = {tAtomicWriteResult::Write, errno};
    fd_ = -1;
    if (result_.ok() && ::rename(tempPath_.constData(), targetPath_.constData()) != 0)
        result_ = {tAtomicWriteResult::Create, errno};
    committed_ = result_.ok();
    if (!committed_) Discard();
    return result_;
}
