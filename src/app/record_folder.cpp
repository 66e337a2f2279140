#include "app/record_folder.h"

#include <QDir>

QString DefaultRecordFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    // The base directory specification ignores a relative value.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(base).filePath(QStringLiteral("mirelvane/records"));
}
