// The adapter's own side of the packet format: it reads the packets that a
// driver sends to it and writes the packets that a driver receives from it.
//
// Packet to the adapter (before stuffing):
//   b0 Dlc | b1 Id 20-18 in bits 7-5, 1 1, Id 17 in bit 2 | b2 Id 28-21
//   | b3 Id 6-0 in bits 7-1, remote in bit 0 | data
//   The source is not carried: the workbench always sends as node 63.
// Packet from the adapter:
//   b0 Dlc | b1 as above | b2 Id 14-7 | b3 as above | b4..b11 data (8 bytes)
//   | b12 destination node (Id 26-21)
//
//   02 5C C5 04 C0 11        -> Id 0x18AA3F02 (Ds 5, Fl 0x28, Sr 63, Reg 2), data C0 11
//   Id 0x18AA3F02 data frame -> 08 5C 7E 04 ... 05
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "ucan.h"

namespace tessaline::bench {

inline constexpr std::size_t kPacketFromAdapterSize = 13;

// The frame a driver packed; none for a packet shorter than its 4 header bytes.
// A Dlc above 8 is taken as 8; data bytes the packet lacks read as 0.
std::optional<CanFrame> FrameFromDriverPacket(const std::uint8_t* packet, std::size_t count);

// The packet that carries frame to the driver, always with its destination byte.
std::size_t PacketForDriver(const CanFrame& frame, std::uint8_t (&packet)[kPacketFromAdapterSize]);

}  // namespace tessaline::bench
