#include "adapter_codec.h"

#include <algorithm>

namespace ucan {

namespace {

constexpr std::uint8_t kMaxDlc = 8;
constexpr std::size_t kHeaderBytes = 4;
constexpr std::size_t kDestinationByte = 12;
// Bits 3 and 4 of b1 are set in every packet the adapter is sent.
constexpr std::uint8_t kOutgoingMarks = 0x18;
// Identifier bits 27-28: every frame from the adapter has priority 3.
constexpr std::uint32_t kReceivedPriority = 0x3u << 27;

std::uint8_t* PutStuffed(std::uint8_t byte, std::uint8_t* out) {
    if (byte == kEnd) {
        *out++ = kEsc;
        *out++ = kEscEnd;
    } else if (byte == kEsc) {
        *out++ = kEsc;
        *out++ = kEscEsc;
    } else {
        *out++ = byte;
    }
    return out;
}

}  // namespace

std::size_t StuffPacket(const std::uint8_t* packet, std::size_t count, std::uint8_t* out) {
    std::uint8_t* next = out;
    *next++ = kEnd;
    for (std::size_t i = 0; i < count; ++i) next = PutStuffed(packet[i], next);
    *next++ = kEnd;
    return static_cast<std::size_t>(next - out);
}

std::size_t BuildOutgoingPacket(const CanFrame& frame, std::uint8_t (&packet)[12]) {
    const std::uint32_t id = frame.Id;
    const std::uint8_t dlc = std::min(frame.Dlc, kMaxDlc);
    packet[0] = dlc;
    packet[1] = static_cast<std::uint8_t>((((id >> 18) & 0x7u) << 5) | kOutgoingMarks | (((id >> 17) & 0x1u) << 2));
    packet[2] = static_cast<std::uint8_t>(id >> 21);
    packet[3] = static_cast<std::uint8_t>(((id & 0x7Fu) << 1) | ((frame.FrameFormat & UCAN_FORMAT_REMOTE) ? 1u : 0u));
    std::copy_n(frame.Data, dlc, packet + kHeaderBytes);
    return kHeaderBytes + dlc;
}

std::size_t EncodeFrame(const CanFrame& frame, std::uint8_t (&out)[kMaxEncodedFrame]) {
    std::uint8_t packet[12];
    const std::size_t count = BuildOutgoingPacket(frame, packet);
    return StuffPacket(packet, count, out);
}

CanFrame PacketToFrame(const std::uint8_t* packet, std::size_t count, std::uint32_t time) {
    const auto byteAt = [&](std::size_t i) -> std::uint32_t { return i < count ? packet[i] : 0u; };
    const std::uint32_t b1 = byteAt(1);
    const std::uint32_t b3 = byteAt(3);
    const std::uint32_t destination = count > kDestinationByte ? (byteAt(kDestinationByte) & 0x3Fu) : kPcNode;

    CanFrame frame{};
    frame.Id = kReceivedPriority | (destination << 21) | (((b1 >> 5) & 0x7u) << 18) | (((b1 >> 2) & 0x1u) << 17) |
               (byteAt(2) << 7) | (b3 >> 1);
    frame.FrameFormat = (b3 & 0x1u) ? UCAN_FORMAT_EXTENDED | UCAN_FORMAT_REMOTE : UCAN_FORMAT_EXTENDED;
    frame.Dlc = std::min(static_cast<std::uint8_t>(byteAt(0)), kMaxDlc);
    for (std::size_t i = 0; i < sizeof frame.Data; ++i) frame.Data[i] = static_cast<std::uint8_t>(byteAt(kHeaderBytes + i));
    frame.Time = time;
    return frame;
}

void PacketDecoder::Reset() {
    hunting_ = true;
    escape_ = false;
    complete_ = false;
    position_ = 0;
}

bool PacketDecoder::Feed(std::uint8_t byte) {
    if (complete_) return false;
    if (hunting_) {
        if (byte != kEnd) return false;
        hunting_ = false;
        position_ = 0;
    }
    if (escape_) {
        escape_ = false;
        if (byte == kEscEnd) {
            Store(kEnd);
        } else if (byte == kEscEsc) {
            Store(kEsc);
        }
        // Any other byte after ESC is a damaged escape: both bytes are dropped.
        return false;
    }
    if (byte == kEnd) {
        // An END with an empty buffer opens a packet; it ends nothing.
        complete_ = position_ > 0;
        return complete_;
    }
    if (byte == kEsc) {
        escape_ = true;
        return false;
    }
    Store(byte);
    return false;
}

void PacketDecoder::Consume() {
    complete_ = false;
    hunting_ = true;
    position_ = 0;
}

void PacketDecoder::Store(std::uint8_t byte) {
    buffer_[position_++] = byte;
    if (position_ == kBufferSize) {
        // Too long for any packet: dropped, and decoding resumes at the next END.
        position_ = 0;
        hunting_ = true;
    }
}

}  // namespace ucan
