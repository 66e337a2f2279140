#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's content all at once: the bytes go to a temporary file beside the target,
// which is then renamed over it. A failure at any step leaves the old file as it was.
struct tAtomicWriteResult {
    enum Stage { Ok, Create, Write } stage = Ok;
    int error = 0;  // errno of the failed step
    bool ok() const { return stage == Ok; }
    QString SystemMessage() const;
};

tAtomicWriteResult AtomicWriteFile(const QString& fileName, const QByteArray& content);

// The same replacement for content written piece by piece. The temporary file is created at
// once; Commit puts it in place. Destroyed before a successful Commit, the writer removes the
// temporary file and leaves the old one as it was.
class tAtomicFileWriter {
public:
    explicit tAtomicFileWriter(const QString& fileName);
    ~tAtomicFileWriter();
    tAtomicFileWriter(const tAtomicFileWriter&) = delete;
    tAtomicFileWriter& operator=(const tAtomicFileWriter&) = delete;

    // False once any step has failed; Result() tells which.
    bool Write(const char* data, qint64 size);
    tAtomicWriteResult Commit();
    const tAtomicWriteResult& Result() const { return result_; }

private:
    void Discard();

    QByteArray targetPath_;
    QByteArray tempPath_;
    int fd_ = -1;
    bool committed_ = false;
    tAtomicWriteResult result_;
};
