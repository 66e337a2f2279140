#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#ifndef BALLSIM_PATH
#error "BALLSIM_PATH names the ballsim executable"
#endif

// Runs ballsim on a fresh pseudo-terminal for one test: starts it, reads the slave path from
// its first line and ends it (SIGTERM, then SIGKILL) when stopped or destroyed. Header-only so
// that every test folder can include it.
class BallsimProcess {
public:
    BallsimProcess() = default;
    explicit BallsimProcess(const QStringList& arguments) { Start(arguments); }
    ~BallsimProcess() { Stop(); }
    BallsimProcess(const BallsimProcess&) = delete;
    BallsimProcess& operator=(const BallsimProcess&) = delete;

    // True when ballsim runs and has told its path.
    bool Start(const QStringList& arguments = QStringList()) {
        Stop();
        process_.setProgram(QStringLiteral(BALLSIM_PATH));
        process_.setArguments(arguments);
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.start();
        if (!process_.waitForStarted(10000)) return false;
        QByteArray line;
        while (!line.contains('\n')) {
            if (!process_.waitForReadyRead(10000)) break;
            line += process_.readAllStandardOutput();
        }
        path_ = QString::fromLocal8Bit(line.left(line.indexOf('\n')).trimmed());
        return !path_.isEmpty();
    }

    // Ends ballsim; its standard error stays readable through Errors().
    void Stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
        errors_ += process_.readAllStandardError();
    }

    bool IsRunning() const { return process_.state() == QProcess::Running; }
    // The pseudo-terminal's slave path (or --link's path when one was given).
    const QString& Path() const { return path_; }
    // What ballsim wrote to standard error so far.
    QByteArray Errors() {
        if (process_.state() != QProcess::NotRunning) errors_ += process_.readAllStandardError();
        return errors_;
    }

private:
    QProcess process_;
    QString path_;
    QByteArray errors_;
};
