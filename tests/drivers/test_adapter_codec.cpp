#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "adapter_codec.h"
#include "frame_literal.h"

namespace ucan {
namespace {

using tessaline::testing::Bytes;
using tessaline::testing::MakeFrame;

std::string Hex(const Bytes& bytes) {
    std::string text;
    char cell[4];
    for (std::uint8_t b : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", b);
        text += cell;
    }
    return text;
}

Bytes Encode(const CanFrame& frame) {
    std::uint8_t out[kMaxEncodedFrame];
    const std::size_t n = EncodeFrame(frame, out);
    return Bytes(out, out + n);
}

// Every frame the decoder yields for a byte stream, stamped with the time given.
std::vector<CanFrame> DecodeAll(const Bytes& stream, std::uint32_t time = 0) {
    PacketDecoder decoder;
    std::vector<CanFrame> frames;
    for (std::uint8_t b : stream) {
        if (!decoder.Feed(b)) continue;
        frames.push_back(PacketToFrame(decoder.Packet(), decoder.Size(), time));
        decoder.Consume();
    }
    return frames;
}

struct EncodeCase {
    const char* name;
    CanFrame frame;
    Bytes wire;
};

TEST(EncodeFrame, WireBytesOfFrames) {
    const EncodeCase cases[] = {
        {"data needs stuffing", MakeFrame(0x18AABF02, 0x80, 2, {0xC0, 0x11}),
         {0xC0, 0x02, 0x5C, 0xC5, 0x04, 0xDB, 0xDC, 0x11, 0xC0}},
        {"remote request", MakeFrame(0x18AABF02, 0xC0, 0, {}), {0xC0, 0x00, 0x5C, 0xC5, 0x05, 0xC0}},
        {"header byte b2 needs stuffing", MakeFrame(0x1B6C3F5B, 0x80, 1, {0xDB}),
         {0xC0, 0x01, 0x78, 0xDB, 0xDD, 0xB6, 0xDB, 0xDD, 0xC0}},
        {"Dlc above 8 sends 8 bytes", MakeFrame(0x18B03F07, 0x80, 12, {1, 2, 3, 4, 5, 6, 7, 8}),
         {0xC0, 0x08, 0x98, 0xC5, 0x0E, 1, 2, 3, 4, 5, 6, 7, 8, 0xC0}},
        {"source, bits 7-16 and 29-31 are not sent", MakeFrame(0xFFFFFFFF, 0x80, 0, {}),
         {0xC0, 0x00, 0xFC, 0xFF, 0xFE, 0xC0}},
        {"only the remote bit of FrameFormat counts", MakeFrame(0x18AABF02, 0x3F, 0, {}),
         {0xC0, 0x00, 0x5C, 0xC5, 0x04, 0xC0}},
    };
    for (const auto& c : cases) EXPECT_EQ(Hex(Encode(c.frame)), Hex(c.wire)) << c.name;
}

TEST(EncodeFrame, WorstCaseFitsTheFixedBuffer) {
    // b2 = C0 and b3 = DB (register 0x6D, remote) and eight data bytes that all need stuffing.
    const CanFrame frame = MakeFrame(0x18000000u | (0xC0u << 21) | 0x6D, 0xC0, 8,
                                     {0xC0, 0xDB, 0xC0, 0xDB, 0xC0, 0xDB, 0xC0, 0xDB});
    const Bytes wire = Encode(frame);
    EXPECT_LE(wire.size(), kMaxEncodedFrame);
    EXPECT_EQ(wire.size(), 24u) << Hex(wire);
    EXPECT_EQ(std::count(wire.begin(), wire.end(), kEnd), 2) << "only the two framing ENDs stay unstuffed";
}

TEST(StuffPacket, EscapesBothSpecialBytesAndFramesWithEnd) {
    const std::uint8_t packet[] = {0xC0, 0xDB, 0xDC, 0xDD, 0x00};
    std::uint8_t out[2 + 2 * sizeof packet];
    const std::size_t n = StuffPacket(packet, sizeof packet, out);
    EXPECT_EQ(Hex(Bytes(out, out + n)), Hex({0xC0, 0xDB, 0xDC, 0xDB, 0xDD, 0xDC, 0xDD, 0x00, 0xC0}));
}

struct DecodeCase {
    const char* name;
    Bytes stream;
    std::vector<CanFrame> frames;
};

constexpr std::uint32_t kTime = 0xCAFE1234;

CanFrame Received(std::uint32_t id, std::uint8_t format, std::uint8_t dlc, const Bytes& data = {}) {
    CanFrame frame = MakeFrame(id, format, dlc, data);
    frame.Time = kTime;
    return frame;
}

void ExpectFramesEqual(const std::vector<CanFrame>& actual, const std::vector<CanFrame>& expected,
                       const char* name) {
    ASSERT_EQ(actual.size(), expected.size()) << name;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const CanFrame& a = actual[i];
        const CanFrame& e = expected[i];
        EXPECT_EQ(std::uint32_t{a.Id}, std::uint32_t{e.Id}) << name << " frame " << i << std::hex << " id " << a.Id;
        EXPECT_EQ(a.FrameFormat, e.FrameFormat) << name << " frame " << i;
        EXPECT_EQ(a.Dlc, e.Dlc) << name << " frame " << i;
        EXPECT_EQ(Hex(Bytes(a.Data, a.Data + 8)), Hex(Bytes(e.Data, e.Data + 8))) << name << " frame " << i;
        EXPECT_EQ(std::uint32_t{a.Time}, std::uint32_t{e.Time}) << name << " frame " << i;
    }
}

TEST(PacketDecoder, StreamsToFrames) {
    const Bytes p1 = {0x02, 0x5C, 0x7E, 0x05, 0x11, 0x22};
    const CanFrame f1 = Received(0x1FEA3F02, 0xC0, 2, {0x11, 0x22});
    const Bytes p2 = {0x01, 0x00, 0x01, 0x02, 0x33};
    const CanFrame f2 = Received(0x1FE00081, 0x80, 1, {0x33});
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const Bytes C0 = {0xC0};
    const Bytes sixteen(16, 0x11);

    const DecodeCase cases[] = {
        {"remote frame", join({C0, p1, C0}), {f1}},
        {"b2 fills bits 7-14 only, even with its top bit set",
         {0xC0, 0x02, 0x5C, 0xFE, 0x04, 0x11, 0x22, 0xC0},
         {Received(0x1FEA7F02, 0x80, 2, {0x11, 0x22})}},
        {"empty packets yield nothing", {0xC0, 0xC0, 0xC0}, {}},
        {"the END that ends p1 does not open p2", join({C0, p1, C0, p2, C0}), {f1}},
        {"a doubled END opens p2", join({C0, p1, C0, C0, p2, C0}), {f1, f2}},
        {"bytes before the first END are ignored", join({{0x11, 0xDB, 0x22}, C0, p1, C0}), {f1}},
        {"escaped END and ESC in data", {0xC0, 0x02, 0x5C, 0x7E, 0x04, 0xDB, 0xDC, 0xDB, 0xDD, 0xC0},
         {Received(0x1FEA3F02, 0x80, 2, {0xC0, 0xDB})}},
        {"a damaged escape drops ESC and the byte after it",
         {0xC0, 0x02, 0x5C, 0xDB, 0x41, 0x7E, 0x05, 0x11, 0x22, 0xC0}, {f1}},
        {"16 bytes are dropped, the next packet decodes", join({C0, sixteen, C0, p1, C0}), {f1}},
        {"a 40-byte run is dropped too", join({C0, Bytes(40, 0x22), C0, p1, C0}), {f1}},
        {"15 bytes still make a packet", join({C0, {0x08, 0x5C, 0x7E, 0x04}, Bytes(11, 0x07), C0}),
         {Received(0x18EA3F02, 0x80, 8, {7, 7, 7, 7, 7, 7, 7, 7})}},
        {"byte 12 is the destination, the next packet is for node 63 again",
         join({C0, {0x08, 0x5C, 0x7E, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 0x05}, C0, C0, p1, C0}),
         {Received(0x18AA3F02, 0x80, 8, {1, 2, 3, 4, 5, 6, 7, 8}), f1}},
        {"only six bits of the destination byte count",
         {0xC0, 0x00, 0x00, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0xC5, 0xC0}, {Received(0x18A00000, 0x80, 0, {})}},
        {"Dlc above 8 is clamped", {0xC0, 0x0F, 0x5C, 0x7E, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 0xC0},
         {Received(0x1FEA3F02, 0x80, 8, {1, 2, 3, 4, 5, 6, 7, 8})}},
        {"data bytes the packet lacks are 0", {0xC0, 0x08, 0x5C, 0x7E, 0x04, 0xAA, 0xC0},
         {Received(0x1FEA3F02, 0x80, 8, {0xAA})}},
        {"a one-byte packet reads its missing header as 0", {0xC0, 0x03, 0xC0},
         {Received(0x1FE00000, 0x80, 3, {})}},
        {"a three-byte packet", {0xC0, 0x01, 0xE4, 0x01, 0xC0}, {Received(0x1FFE0080, 0x80, 1, {})}},
    };
    for (const auto& c : cases) ExpectFramesEqual(DecodeAll(c.stream, kTime), c.frames, c.name);
}

TEST(PacketDecoder, HoldsACompletePacketUntilConsumed) {
    PacketDecoder decoder;
    const Bytes stream = {0xC0, 0x01, 0x02, 0x03, 0x04};
    for (std::uint8_t b : stream) EXPECT_FALSE(decoder.Feed(b));
    EXPECT_TRUE(decoder.Feed(0xC0));
    ASSERT_EQ(decoder.Size(), 4u);

    // Bytes that arrive before the packet is taken are ignored, an END included.
    for (std::uint8_t b : Bytes{0xC0, 0x09, 0x09, 0xC0}) EXPECT_FALSE(decoder.Feed(b));
    EXPECT_EQ(Hex(Bytes(decoder.Packet(), decoder.Packet() + decoder.Size())), Hex({0x01, 0x02, 0x03, 0x04}));

    decoder.Consume();
    EXPECT_FALSE(decoder.Feed(0x05)) << "hunting after Consume";
    EXPECT_FALSE(decoder.Feed(0xC0));
    EXPECT_FALSE(decoder.Feed(0x06));
    EXPECT_TRUE(decoder.Feed(0xC0));
    EXPECT_EQ(decoder.Size(), 1u);
    EXPECT_EQ(decoder.Packet()[0], 0x06);
}

TEST(PacketDecoder, ResetDropsAHalfPacketAndAPendingEscape) {
    PacketDecoder decoder;
    for (std::uint8_t b : Bytes{0xC0, 0x01, 0x02, 0xDB}) decoder.Feed(b);
    decoder.Reset();
    // Without the reset, DC would complete the escape and C0 would end a 3-byte packet.
    EXPECT_FALSE(decoder.Feed(0xDC));
    EXPECT_FALSE(decoder.Feed(0xC0));
    for (std::uint8_t b : Bytes{0xDB, 0xDC}) EXPECT_FALSE(decoder.Feed(b));
    EXPECT_TRUE(decoder.Feed(0xC0));
    ASSERT_EQ(decoder.Size(), 1u);
    EXPECT_EQ(decoder.Packet()[0], 0xC0);
}

}  // namespace
}  // namespace ucan
