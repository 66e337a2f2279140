#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <chrono>
#include <thread>
#include <vector>

#ifndef BALLSIM_PATH
#error "BALLSIM_PATH names the ballsim executable"
#endif

extern char** environ;

// A child process with its standard output and error on pipes. Started with posix_spawn
// rather than QProcess, so that thread checkers keep following the test's own threads.
class SpawnedProcess {
public:
    SpawnedProcess() = default;
    ~SpawnedProcess() { Stop(); }
    SpawnedProcess(const SpawnedProcess&) = delete;
    SpawnedProcess& operator=(const SpawnedProcess&) = delete;

    bool Start(const QString& program, const QStringList& arguments) {
        Stop();
        int out[2], err[2];
        if (::pipe2(out, O_CLOEXEC) != 0) return false;
        if (::pipe2(err, O_CLOEXEC) != 0) {
            Close(out[0]);
            Close(out[1]);
            return false;
        }
        std::vector<QByteArray> texts{QFile::encodeName(program)};
        for (const QString& a : arguments) texts.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& t : texts) argv.push_back(t.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        const int failed = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        Close(out[1]);
        Close(err[1]);
        out_ = out[0];
        err_ = err[0];
        ::fcntl(err_, F_SETFL, O_NONBLOCK);
        if (failed) pid_ = -1;
        return pid_ > 0;
    }

    // The first line of standard output, without its line end; "" when none came in time.
    QByteArray ReadLine(int limitMs = 10000) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
        while (!output_.contains('\n') && std::chrono::steady_clock::now() < end) {
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[512];
            const ssize_t n = ::read(out_, buffer, sizeof buffer);
            if (n <= 0) break;
            output_.append(buffer, static_cast<int>(n));
        }
        const int at = static_cast<int>(output_.indexOf('\n'));
        return at < 0 ? QByteArray() : output_.left(at);
    }

    bool IsRunning() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
        return pid_ > 0;
    }

    // Ends the process: SIGTERM, and SIGKILL when it has not ended after 5 s.
    void Stop() {
        if (IsRunning()) {
            ::kill(pid_, SIGTERM);
            for (int i = 0; i < 500 && IsRunning(); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (IsRunning()) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
                pid_ = -1;
            }
        }
        DrainErrors();
        Close(out_);
        Close(err_);
    }

    // What the process wrote to standard error so far.
    QByteArray Errors() {
        DrainErrors();
        return errors_;
    }

private:
    static void Close(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void DrainErrors() {
        char buffer[4096];
        for (ssize_t n; err_ >= 0 && (n = ::read(err_, buffer, sizeof buffer)) > 0;)
            errors_.append(buffer, static_cast<int>(n));
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    QByteArray output_;
    QByteArray errors_;
};

// Runs ballsim on a fresh pseudo-terminal for one test: starts it, reads the terminal's path
// from its first line and ends it (SIGTERM, then SIGKILL) when stopped or destroyed.
// Header-only, so that every test folder can include it.
class BallsimProcess {
public:
    BallsimProcess() = default;
    explicit BallsimProcess(const QStringList& arguments) { Start(arguments); }

    // True when ballsim runs and has told its path.
    bool Start(const QStringList& arguments = QStringList()) {
        path_.clear();
        if (!process_.Start(QStringLiteral(BALLSIM_PATH), arguments)) return false;
        path_ = QString::fromLocal8Bit(process_.ReadLine());
        return !path_.isEmpty();
    }
    // Ends ballsim, which removes its terminal and link; Errors() stays readable.
    void Stop() { process_.Stop(); }

    bool IsRunning() { return process_.IsRunning(); }
    // The pseudo-terminal's slave path.
    const QString& Path() const { return path_; }
    // What ballsim wrote to standard error so far (stream ends, line counts).
    QByteArray Errors() { return process_.Errors(); }

private:
    SpawnedProcess process_;
    QString path_;
};
