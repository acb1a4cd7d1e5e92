#include "custom_bit_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace corvane {

bool SetCustomBitRate(int fd, std::uint32_t rate) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) return false;
    settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
    settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    settings.c_ispeed = rate;
    settings.c_ospeed = rate;
    return ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace corvane
