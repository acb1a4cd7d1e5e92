#include "PseudoTerminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace tessaline::bench {
namespace {

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

PseudoTerminal::~PseudoTerminal() {
    if (master_ >= 0) ::close(master_);
}

std::optional<std::string> PseudoTerminal::Open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) return SystemError("cannot open a pseudo-terminal");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return SystemError("cannot unlock the pseudo-terminal");
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return SystemError("cannot name the pseudo-terminal");
    slavePath_ = name;

    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) return SystemError("cannot open the pseudo-terminal's slave");
    termios settings{};
    const bool raw = ::tcgetattr(slave, &settings) == 0 && (::cfmakeraw(&settings), true) &&
                     ::tcsetattr(slave, TCSANOW, &settings) == 0;
    const int error = errno;
    ::close(slave);
    if (!raw) {
        errno = error;
        return SystemError("cannot make the pseudo-terminal raw");
    }
    return std::nullopt;
}

// Only the output: what a newly opened slave has already written must stay.
void PseudoTerminal::DiscardQueued() const { ::tcflush(master_, TCOFLUSH); }

}  // namespace tessaline::bench
