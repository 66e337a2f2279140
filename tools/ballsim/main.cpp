// ballsim: the motion-sensor ball on a pseudo-terminal, for the demo, the tests and the
// benchmarks. See --help.
#include <csignal>
#include <cstdio>

#include "ball_options.h"
#include "ball_peer.h"
#include "pty_link.h"

namespace {
volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) { stopRequested = 1; }
}  // namespace

int main(int argc, char** argv) {
    tBallOptions options;
    const int exitCode = ParseBallOptions(argc, argv, options);
    if (exitCode >= 0) return exitCode;

    struct sigaction action = {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    tPtyLink link;
    if (!link.Open(options.link)) return 1;
    std::printf("%s\n", link.SlavePath().c_str());
    std::fflush(stdout);

    tBallPeer peer(options, link);
    peer.Run(stopRequested);
    link.Close();
    std::fprintf(stderr, "ballsim: sent %lld lines\n", peer.LinesSent());
    return 0;
}
