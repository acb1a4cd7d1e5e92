// Bit rates outside the fixed Bxxx set, through the kernel's termios2 interface.
// Kept apart from <termios.h>, whose definitions clash with the kernel's.
#pragma once

#include <cstdint>

namespace corvane {

// Sets both directions of the open tty fd to exactly rate bit/s; false when the
// kernel or the port refuses.
bool SetCustomBitRate(int fd, std::uint32_t rate);

}  // namespace corvane
