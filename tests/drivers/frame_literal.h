// CAN frames and byte strings written out in tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ucan.h"

namespace tessaline::testing {

using Bytes = std::vector<std::uint8_t>;

inline CanFrame MakeFrame(std::uint32_t id, std::uint8_t format, std::uint8_t dlc, const Bytes& data = {}) {
    CanFrame frame{};
    frame.Id = id;
    frame.FrameFormat = format;
    frame.Dlc = dlc;
    std::copy_n(data.begin(), std::min<std::size_t>(data.size(), sizeof frame.Data), frame.Data);
    return frame;
}

}  // namespace tessaline::testing
