// The output bit rate of a tty as the kernel holds it, custom rates included.
#pragma once

#include <cstdint>

namespace tessaline::testing {

// 0 when it cannot be read.
std::uint32_t OutputBitRate(int fd);

}  // namespace tessaline::testing
