// Feeds arbitrary bytes to the packet decoder and checks what it hands on: every
// completed packet fits the buffer, converts to a frame with at most 8 data bytes,
// and survives stuffing and decoding again unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "adapter_codec.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckFrame(const CanFrame& frame) {
    Check(frame.Dlc <= 8);
    Check((frame.FrameFormat & ~(UCAN_FORMAT_EXTENDED | UCAN_FORMAT_REMOTE)) == 0);
    Check((frame.FrameFormat & UCAN_FORMAT_EXTENDED) != 0);
    Check((frame.Id >> 27) == 3);
}

// Stuffing a packet and decoding the result gives the packet back.
void CheckRoundTrip(const std::uint8_t* packet, std::size_t size) {
    std::uint8_t wire[2 + 2 * ucan::PacketDecoder::kBufferSize];
    const std::size_t count = ucan::StuffPacket(packet, size, wire);
    ucan::PacketDecoder decoder;
    std::size_t completed = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!decoder.Feed(wire[i])) continue;
        ++completed;
        Check(i == count - 1);
        Check(decoder.Size() == size);
        Check(std::memcmp(decoder.Packet(), packet, size) == 0);
    }
    Check(completed == 1);
}

// Whatever frame the bytes make, its wire form fits the fixed buffer and holds
// exactly the two framing ENDs.
void CheckEncoding(const std::uint8_t* data, std::size_t size) {
    CanFrame frame{};
    std::memcpy(&frame, data, size < sizeof frame ? size : sizeof frame);
    std::uint8_t wire[ucan::kMaxEncodedFrame];
    const std::size_t count = ucan::EncodeFrame(frame, wire);
    Check(count >= 6 && count <= ucan::kMaxEncodedFrame);
    Check(wire[0] == ucan::kEnd && wire[count - 1] == ucan::kEnd);
    for (std::size_t i = 1; i + 1 < count; ++i) Check(wire[i] != ucan::kEnd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ucan::PacketDecoder decoder;
    for (std::size_t i = 0; i < size; ++i) {
        if (!decoder.Feed(data[i])) continue;
        const std::size_t packetSize = decoder.Size();
        Check(packetSize > 0 && packetSize <= ucan::PacketDecoder::kBufferSize);
        CheckFrame(ucan::PacketToFrame(decoder.Packet(), packetSize, 0));
        CheckRoundTrip(decoder.Packet(), packetSize);
        decoder.Consume();
    }
    // Packets of any length, the short ones included, convert to sound frames.
    CheckFrame(ucan::PacketToFrame(data, size < 16 ? size : 16, 0));
    CheckEncoding(data, size);
    return 0;
}
