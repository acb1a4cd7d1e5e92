#include "termios2_rate.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace tessaline::testing {

std::uint32_t OutputBitRate(int fd) {
    termios2 settings{};
    if (ioctl(fd, TCGETS2, &settings) != 0) return 0;
    return settings.c_ospeed;
}

}  // namespace tessaline::testing
