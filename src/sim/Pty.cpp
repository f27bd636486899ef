#include "sim/Pty.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace korvo::sim {

namespace {
int rateOf(speed_t s) {
    switch (s) {
        case B9600:
            return 9600;
        case B19200:
            return 19200;
        case B38400:
            return 38400;
        case B57600:
            return 57600;
        case B115200:
            return 115200;
        default:
            return 0;
    }
}
}  // namespace

bool Pty::open() {
    close();
    const auto fail = [this](const char* what) {
        error_ = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                              QString::fromLocal8Bit(std::strerror(errno)));
        close();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0) return fail("grantpt");
    if (::unlockpt(master_) != 0) return fail("unlockpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname");
    path_ = QString::fromLocal8Bit(name);

    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) return fail("tcsetattr");
    error_.clear();
    return true;
}

void Pty::close() {
    if (master_ >= 0) ::close(master_);
    if (slave_ >= 0) ::close(slave_);
    master_ = -1;
    slave_ = -1;
}

int Pty::slaveBaud() const {
    termios tio{};
    if (slave_ < 0 || ::tcgetattr(slave_, &tio) != 0) return 0;
    return rateOf(::cfgetospeed(&tio));
}

}  // namespace korvo::sim
