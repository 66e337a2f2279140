#pragma once

#include <QByteArray>
#include <QString>

// Raises an Exception of string 903, string `id` and the system's text for errno.
[[noreturn]] void RaiseSystemError(int id);
[[noreturn]] void RaiseSystemError(int id, int error);

// One string of the version block compiled into an executable ("FileDescription",
// "LegalCopyright", "FileVersion"); "" when the file has no block or the block lacks the key.
QString GetVersionInfoString(const QString& fileName, const QString& key);

// The bytes of a version block holding the given key/value pairs, as the executable carries
// it; used by the build and by tests.
QByteArray MakeVersionBlock(const QList<QPair<QByteArray, QByteArray>>& strings);
