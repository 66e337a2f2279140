#include "app/termination_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <iterator>

namespace {
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
int pipeFds[2] = {-1, -1};
struct sigaction previous[std::size(kSignals)];

extern "C" void OnSignal(int signal) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a signal to act on.
    (void)!::write(pipeFds[1], &byte, 1);
    errno = saved;
}
}  // namespace

tTerminationSignals::tTerminationSignals(QObject* parent) : QObject(parent) {
    if (pipeFds[0] >= 0 || ::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &tTerminationSignals::ReadPipe);
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    active_ = true;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        active_ = ::sigaction(kSignals[i], &action, &previous[i]) == 0 && active_;
}

tTerminationSignals::~tTerminationSignals() {
    if (!notifier_) return;
    for (size_t i = 0; i < std::size(kSignals); ++i) ::sigaction(kSignals[i], &previous[i], nullptr);
    notifier_.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

QString tTerminationSignals::Name(int signal) {
    switch (signal) {
        case SIGTERM: return QStringLiteral("SIGTERM");
        case SIGHUP: return QStringLiteral("SIGHUP");
        case SIGINT: return QStringLiteral("SIGINT");
        default: return QStringLiteral("signal %1").arg(signal);
    }
}

void tTerminationSignals::ReadPipe() {
    unsigned char byte = 0;
    while (::read(pipeFds[0], &byte, 1) == 1) emit received(byte);
}
