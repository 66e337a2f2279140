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
