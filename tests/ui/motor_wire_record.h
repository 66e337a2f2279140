#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>

#include "device/ballsim_process.h"
#include "model/qt_printers.h"
#include "support/temp_folder.h"

// Every byte the program sends to ballsim, as ballsim's --record file holds it. A mark skips
// what came before (the identification and the connect requests), so that a test compares
// exactly the bytes of the step it checks.
class WireRecord {
public:
    WireRecord() : path_(folder_.Path(QStringLiteral("wire.bin"))) {}

    // ballsim's arguments that record into this file, followed by `more`.
    QStringList Arguments(const QStringList& more = QStringList()) const {
        return QStringList{QStringLiteral("--record"), path_} + more;
    }

    QByteArray All() const {
        QFile f(path_);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void Mark() { mark_ = All().size(); }
    QByteArray SinceMark() const { return All().mid(mark_); }

    // Waits (running the event loop) until the bytes since the mark contain `bytes`; a request
    // without a reply may still be on its way when the call that sent it returns.
    bool WaitFor(const QByteArray& bytes, int limitMs = 10000) const {
        return QTest::qWaitFor([&] { return SinceMark().contains(bytes); }, limitMs);
    }

private:
    TempFolder folder_;
    QString path_;
    qsizetype mark_ = 0;
};
