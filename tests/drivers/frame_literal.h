// CAN frames and byte strings written out in tests. CanFrame is packed: compare
// its multi-byte fields as copies (std::uint32_t{f.Id}); a reference to one, as
// EXPECT_EQ takes, would be misaligned.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "adapter_codec.h"
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

// The wire bytes of an extended 8-byte frame as the adapter sends it, numbered n
// in its first three data bytes; two further data bytes need stuffing.
inline Bytes NumberedPacket(std::uint32_t n) {
    const std::uint8_t packet[] = {8,    0x5C, 0x7E, 0x04, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                   static_cast<std::uint8_t>(n >> 16), 0xC0, 0xDB, 0, 0, 0};
    std::uint8_t wire[2 + 2 * sizeof packet];
    return Bytes(wire, wire + ucan::StuffPacket(packet, sizeof packet, wire));
}

inline std::uint32_t NumberOf(const CanFrame& frame) {
    return static_cast<std::uint32_t>(frame.Data[0]) | static_cast<std::uint32_t>(frame.Data[1]) << 8 |
           static_cast<std::uint32_t>(frame.Data[2]) << 16;
}

}  // namespace tessaline::testing
