// The 29-bit identifier of the workbench's bus protocol and the predicates that
// take a received frame apart.
//
// Layout: Pri (bits 27-28) | Ds (21-26) | Fl bits 0-6 (14-20) | Sr (8-13) | Reg (0-7).
// Fl bit 7 travels as the remote-request bit of FrameFormat.
//
//   MakeFrameId(3, 5, 63, 7, 0xC0)  == 0x18B03F07   (listen to register 7 of node 5)
//   MakeFrameId(3, 12, 63, 0, 0x80) == 0x19803F00   (scan probe to node 12)
//   MakeFrameId(3, 9, 63, 5, 0x28)  == 0x192A3F05   (new node address for node 9)
#pragma once

#include <cstdint>

#include "ucan.h"

namespace tessaline {

inline constexpr std::uint8_t kPcNode = 63;
inline constexpr std::uint8_t kAnyNode = 255;  // "any" in FrameMatches
inline constexpr std::uint8_t kMaxNode = 63;
inline constexpr std::uint8_t kMaxPriority = 3;
inline constexpr std::uint8_t kWorkbenchPriority = 3;

// Bits of Fl, named by the letters the frame monitor prints.
namespace fl {
inline constexpr std::uint8_t W = 0x08;
inline constexpr std::uint8_t Q = 0x10;
inline constexpr std::uint8_t N = 0x20;
inline constexpr std::uint8_t R = 0x40;
inline constexpr std::uint8_t Rtr = 0x80;
}  // namespace fl

// Fields are added, not masked, except Fl which is cut to 7 bits: callers keep
// pri <= 3 and node addresses <= 63 (SendFrame refuses anything else).
constexpr std::uint32_t MakeFrameId(std::uint8_t pri, std::uint8_t ds, std::uint8_t sr, std::uint8_t reg,
                                    std::uint8_t flags) {
    return (std::uint32_t{pri} << 27) + (std::uint32_t{ds} << 21) + (std::uint32_t(flags & 0x7Fu) << 14) +
           (std::uint32_t{sr} << 8) + reg;
}

constexpr std::uint8_t FrameSource(const CanFrame& f) { return static_cast<std::uint8_t>((f.Id >> 8) & 0x3Fu); }
constexpr std::uint8_t FrameDest(const CanFrame& f) { return static_cast<std::uint8_t>((f.Id >> 21) & 0x3Fu); }
constexpr std::uint8_t FrameReg(const CanFrame& f) { return static_cast<std::uint8_t>(f.Id & 0x7Fu); }
constexpr std::uint8_t FrameFlags(const CanFrame& f) {
    return static_cast<std::uint8_t>(((f.Id >> 14) & 0x7Fu) | ((f.FrameFormat & UCAN_FORMAT_REMOTE) ? 0x80u : 0u));
}
constexpr bool FrameIsExtended(const CanFrame& f) { return (f.FrameFormat & UCAN_FORMAT_EXTENDED) != 0; }
constexpr bool FrameIsRequest(const CanFrame& f) { return (FrameFlags(f) & fl::Rtr) != 0; }
constexpr bool FrameIsErrorReport(const CanFrame& f) {
    return FrameIsExtended(f) && FrameReg(f) == 2 && !FrameIsRequest(f);
}

// True for an extended data frame with register reg (255: any) whose addresses
// fit dest/src (255: any); dest == src accepts every frame to or from that node.
constexpr bool FrameMatches(const CanFrame& f, std::uint8_t dest, std::uint8_t src, std::uint8_t reg) {
    if (!FrameIsExtended(f) || FrameIsRequest(f)) return false;
    if (reg != kAnyNode && reg != FrameReg(f)) return false;
    const std::uint8_t ds = FrameDest(f);
    const std::uint8_t sr = FrameSource(f);
    return ((sr == src || src == kAnyNode) && ds == dest) || (dest == src && (ds == dest || sr == src)) ||
           (dest == kAnyNode && sr == src);
}

}  // namespace tessaline
