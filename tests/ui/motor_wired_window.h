#pragma once

#include <QAction>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include "device/ballsim_process.h"
#include "model/qt_printers.h"
#include "support/temp_folder.h"
#include "ui/window_fixture.h"

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

// ballsim recording what it gets, and a main window whose settings point at it.
class WiredWindow {
public:
    explicit WiredWindow(const QStringList& ballArguments = QStringList(),
                         const QByteArray& moreSettings = QByteArray())
        : ball_(wire_.Arguments(ballArguments)),
          window_(WindowFixture::PortSettings(ball_.Path()) + moreSettings) {}

    TfmMain& W() { return window_.Window(); }
    WindowFixture& Fixture() { return window_; }
    WireRecord& Wire() { return wire_; }
    BallsimProcess& Ball() { return ball_; }

    // As a user chooses it: the window has been idle (its rules ran), then the action runs.
    void Choose(QAction* action) {
        W().UpdateActions();
        action->trigger();
        W().UpdateActions();
    }
    // Connects, then stops the battery poll and the clock, so that only the test's own steps
    // reach the wire; the mark is set after the connect's requests.
    bool ConnectQuietly() {
        Choose(W().acDeviceConnect);
        W().tmBattery->stop();
        W().tmTime->stop();
        wire_.Mark();
        return W().IsConnected();
    }

private:
    WireRecord wire_;
    BallsimProcess ball_;
    WindowFixture window_;
};
