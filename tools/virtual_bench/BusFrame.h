// Frames that devices and the second master put on the bus: always extended,
// priority 3, the remote-request bit taken from bit 7 of the flags.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/buslink/FrameId.h"

namespace tessaline::bench {

inline constexpr std::uint8_t kBusPriority = 3;

inline CanFrame BusFrame(std::uint8_t dest, std::uint8_t source, std::uint8_t reg, std::uint8_t flags,
                         const std::uint8_t* data = nullptr, std::size_t count = 0) {
    CanFrame frame{};
    frame.Id = MakeFrameId(kBusPriority, dest, source, reg, flags);
    frame.FrameFormat = static_cast<std::uint8_t>(UCAN_FORMAT_EXTENDED | ((flags & fl::Rtr) ? UCAN_FORMAT_REMOTE : 0));
    frame.Dlc = static_cast<std::uint8_t>(count > 8 ? 8 : count);
    if (data != nullptr) std::memcpy(frame.Data, data, frame.Dlc);
    return frame;
}

}  // namespace tessaline::bench
