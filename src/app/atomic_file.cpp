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
    tAtomicWriteResult result;
    QFileInfo info(fileName);
    // Write through a link to the file it names, so the link itself survives.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QByteArray targetPath = QFile::encodeName(target);

    struct stat st {};
    const bool exists = ::stat(targetPath.constData(), &st) == 0;
    // A file the user may not write stays unwritable, even though the folder would allow the
    // rename.
    if (exists && ::access(targetPath.constData(), W_OK) != 0) {
        result = {tAtomicWriteResult::Create, errno};
        return result;
    }

    QByteArray tempPath = targetPath + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        result = {tAtomicWriteResult::Create, errno};
        return result;
    }
    ::fchmod(fd, exists ? (st.st_mode & 07777) : 0644);

    const char* p = content.constData();
    qint64 left = content.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR) continue;
            result = {tAtomicWriteResult::Write, errno};
            break;
        }
        p += n;
        left -= n;
    }
    if (result.ok() && ::fsync(fd) != 0) result = {tAtomicWriteResult::Write, errno};
    if (::close(fd) != 0 && result.ok()) result = {tAtomicWriteResult::Write, errno};
    if (result.ok() && ::rename(tempPath.constData(), targetPath.constData()) != 0)
        result = {tAtomicWriteResult::Create, errno};
    if (!result.ok()) ::unlink(tempPath.constData());
    return result;
}
