#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for one test, with helpers to write and read whole files.
class TempFolder {
public:
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Root() const { return dir_.path(); }

    QString Write(const QString& name, const QByteArray& content) const {
        QFile f(Path(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(content);
        return Path(name);
    }

    QByteArray Read(const QString& name) const {
        QFile f(Path(name));
        if (!f.open(QIODevice::ReadOnly)) return QByteArray();
        return f.readAll();
    }

private:
    QTemporaryDir dir_;
};
