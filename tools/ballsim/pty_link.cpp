#include "pty_link.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
bool Complain(const char* what) {
    std::fprintf(stderr, "ballsim: %s: %s\n", what, std::strerror(errno));
    return false;
}

bool MakeRaw(int fd) {
    termios t;
    if (::tcgetattr(fd, &t) != 0) return false;
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B115200);
    return ::tcsetattr(fd, TCSANOW, &t) == 0;
}
}  // namespace

tPtyLink::~tPtyLink() { Close(); }

bool tPtyLink::Open(const std::string& link) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return Complain("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return Complain("unlockpt");
    const char* name = ::ptsname(master_);
    if (!name) return Complain("ptsname");
    slavePath_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) return Complain("open slave");
    // Both sides raw: no echo back to the ball, no CR/LF translation either way.
    if (!MakeRaw(slave_) || !MakeRaw(master_)) return Complain("tcsetattr");
    if (!link.empty()) {
        ::unlink(link.c_str());
        if (::symlink(name, link.c_str()) != 0) return Complain("symlink");
        link_ = link;
    }
    return true;
}

int tPtyLink::Unread() const {
    // Our own slave descriptor shares the terminal's input queue with the program's.
    int count = 0;
    if (slave_ < 0 || ::ioctl(slave_, FIONREAD, &count) != 0) return 0;
    return count;
}

void tPtyLink::Close() {
    if (!link_.empty()) ::unlink(link_.c_str());
    link_.clear();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}
