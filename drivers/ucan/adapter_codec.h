// Adapter packets: the byte-stuffed framing (SLIP, RFC 1055) that carries one CAN
// frame between a driver and its adapter, on a serial line or over USB.
// Pure functions over bytes and one small state machine; no I/O, no allocation.
//
// Outgoing packet (before stuffing):
//   b0 Dlc | b1 id20-18 in 7-5, 1 in 4 and 3, id17 in 2 | b2 id28-21 | b3 id6-0 in 7-1, remote in 0 | data
// Incoming packet (after unstuffing):
//   b0 Dlc | b1 id20-18 in 7-5, id17 in 2 | b2 id14-7 | b3 id6-0 in 7-1, remote in 0 | b4-b11 data
//   | b12 destination node (optional, else 63); identifier bits 27-28 are always set.
//
// Examples on the wire:
//   Id 18AABF02, extended, Dlc 2, data C0 11  ->  C0 02 5C C5 04 DB DC 11 C0
//   Id 18AABF02, remote, Dlc 0                ->  C0 00 5C C5 05 C0
//   Id 1B6C3F5B, extended, Dlc 1, data DB     ->  C0 01 78 DB DD B6 DB DD C0
//   C0 02 5C 7E 05 11 22 C0  ->  Id 1FEA3F02, remote, Dlc 2, data 11 22
//   C0 02 5C FE 04 11 22 C0  ->  Id 1FEA7F02, extended (b2 fills bits 7-14 only)
#pragma once

#include <cstddef>
#include <cstdint>

#include "ucan.h"

namespace ucan {

inline constexpr std::uint8_t kEnd = 0xC0;
inline constexpr std::uint8_t kEsc = 0xDB;
inline constexpr std::uint8_t kEscEnd = 0xDC;
inline constexpr std::uint8_t kEscEsc = 0xDD;

// Sent by UcanDeinitCan: END ESC 0x01, deliberately without a closing END.
inline constexpr std::uint8_t kCloseSequence[3] = {kEnd, kEsc, 0x01};

// Longest packet before stuffing that either direction carries: 4 header bytes,
// 8 data bytes and the optional destination byte of a received packet.
inline constexpr std::size_t kMaxPacketBytes = 13;
// END + every byte of a 12-byte outgoing packet stuffed + END.
inline constexpr std::size_t kMaxEncodedFrame = 26;
// END + every byte of a 13-byte packet stuffed + END (adapter side, with destination).
inline constexpr std::size_t kMaxEncodedPacket = 2 + 2 * kMaxPacketBytes;

// The node address a received packet without a destination byte is addressed to.
inline constexpr std::uint8_t kPcNode = 63;

// Writes END, the stuffed bytes, END into out (capacity at least 2 + 2*count);
// returns the number of bytes written.
std::size_t StuffPacket(const std::uint8_t* packet, std::size_t count, std::uint8_t* out);

// Packet bytes (before stuffing) that a driver sends for frame; a Dlc above 8 is
// sent as 8. Returns the length, 4 + Dlc.
std::size_t BuildOutgoingPacket(const CanFrame& frame, std::uint8_t (&packet)[12]);

// BuildOutgoingPacket followed by StuffPacket: the complete wire bytes of one frame.
std::size_t EncodeFrame(const CanFrame& frame, std::uint8_t (&out)[kMaxEncodedFrame]);

// The frame carried by a packet received from the adapter. A Dlc above 8 is
// clamped to 8; data bytes the packet did not carry are 0; packets shorter than
// 4 bytes read their missing header bytes as 0. time is the tick count to stamp.
CanFrame PacketToFrame(const std::uint8_t* packet, std::size_t count, std::uint32_t time);

// Feeds bytes one at a time and yields whole packets. Starts hunting for END.
// Every packet must begin with its own END: the END that completes one packet
// does not open the next, so C0 p1 C0 p2 C0 yields only p1.
class PacketDecoder {
public:
    static constexpr std::size_t kBufferSize = 16;

    // Back to the hunting state with an empty buffer.
    void Reset();

    // Consumes one byte; returns true when that byte completed a packet. The
    // packet stays available through Packet()/Size() until Consume(); bytes fed
    // meanwhile are ignored.
    bool Feed(std::uint8_t byte);

    const std::uint8_t* Packet() const { return buffer_; }
    std::size_t Size() const { return position_; }

    // Releases a completed packet; the decoder hunts for the next END.
    void Consume();

private:
    void Store(std::uint8_t byte);

    bool hunting_ = true;
    bool escape_ = false;
    bool complete_ = false;
    std::size_t position_ = 0;
    std::uint8_t buffer_[kBufferSize] = {};
};

}  // namespace ucan
