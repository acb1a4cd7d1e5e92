#include "AdapterPacket.h"

#include <algorithm>
#include <cstring>

namespace tessaline::bench {
namespace {

constexpr std::uint32_t kWorkbenchSource = 63;
constexpr std::uint8_t kAlwaysSetBits = 0x18;  // bits 4 and 3 of b1

std::uint8_t FlagByte(std::uint32_t id) {
    return static_cast<std::uint8_t>((((id >> 18) & 0x7u) << 5) | kAlwaysSetBits | (((id >> 17) & 0x1u) << 2));
}

}  // namespace

std::optional<CanFrame> FrameFromDriverPacket(const std::uint8_t* packet, std::size_t count) {
    if (count < 4) return std::nullopt;
    CanFrame frame{};
    frame.Id = (std::uint32_t{packet[2]} << 21) | (std::uint32_t(packet[1] >> 5) << 18) |
               (std::uint32_t((packet[1] >> 2) & 0x1u) << 17) | (kWorkbenchSource << 8) | std::uint32_t(packet[3] >> 1);
    frame.FrameFormat = static_cast<std::uint8_t>(UCAN_FORMAT_EXTENDED | ((packet[3] & 0x1u) ? UCAN_FORMAT_REMOTE : 0));
    frame.Dlc = std::min<std::uint8_t>(packet[0], 8);
    std::memcpy(frame.Data, packet + 4, std::min<std::size_t>(frame.Dlc, count - 4));
    return frame;
}

std::size_t PacketForDriver(const CanFrame& frame, std::uint8_t (&packet)[kPacketFromAdapterSize]) {
    packet[0] = std::min<std::uint8_t>(frame.Dlc, 8);
    packet[1] = FlagByte(frame.Id);
    packet[2] = static_cast<std::uint8_t>((frame.Id >> 7) & 0xFFu);
    packet[3] = static_cast<std::uint8_t>(((frame.Id & 0x7Fu) << 1) | ((frame.FrameFormat & UCAN_FORMAT_REMOTE) ? 1u : 0u));
    std::memcpy(packet + 4, frame.Data, 8);
    packet[12] = static_cast<std::uint8_t>((frame.Id >> 21) & 0x3Fu);
    return kPacketFromAdapterSize;
}

}  // namespace tessaline::bench
