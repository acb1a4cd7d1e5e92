// The adapter's side of the packet format, checked on the wire examples of the
// driver and against the driver's own codec in both directions.
#include <gtest/gtest.h>

#include <vector>

#include "AdapterPacket.h"
#include "BenchTestSupport.h"
#include "adapter_codec.h"

namespace tessaline::bench {
namespace {

using testing::DataOf;

// The record is packed: its identifier is copied out before gtest binds a reference.
std::uint32_t Id(const CanFrame& frame) { return frame.Id; }

struct DriverPacketCase {
    const char* what;
    std::vector<std::uint8_t> packet;
    std::uint32_t id;
    std::uint8_t format;
    std::vector<std::uint8_t> data;
};

TEST(FrameFromDriverPacket, ReadsTheHeaderBytesOfTheDriversPackets) {
    const DriverPacketCase cases[] = {
        {"data frame, Fl 0x28", {0x02, 0x5C, 0xC5, 0x04, 0xC0, 0x11}, 0x18AA3F02, 0x80, {0xC0, 0x11}},
        {"remote frame", {0x00, 0x5C, 0xC5, 0x05}, 0x18AA3F02, 0xC0, {}},
        {"destination byte needing stuffing", {0x01, 0x78, 0xDB, 0xB6, 0xDB}, 0x1B6C3F5B, 0x80, {0xDB}},
        {"scan probe to node 12", {0x00, 0x18, 0xCC, 0x01}, 0x19803F00, 0xC0, {}},
        {"listen Fl 0xC0", {0x00, 0x98, 0xC5, 0x0F}, 0x18B03F07, 0xC0, {}},
        {"Dlc above 8 read as 8", {0x09, 0x18, 0xC5, 0x10, 1, 2, 3, 4, 5, 6, 7, 8}, 0x18A03F08, 0x80,
         {1, 2, 3, 4, 5, 6, 7, 8}},
        {"data bytes the packet lacks read as 0", {0x03, 0x18, 0xC5, 0x10, 0xAA}, 0x18A03F08, 0x80, {0xAA, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto frame = FrameFromDriverPacket(c.packet.data(), c.packet.size());
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(Id(*frame), c.id) << std::hex << Id(*frame);
        EXPECT_EQ(frame->FrameFormat, c.format);
        EXPECT_EQ(DataOf(*frame), c.data);
    }
}

TEST(FrameFromDriverPacket, RefusesAPacketShorterThanItsHeader) {
    const std::uint8_t packet[] = {0x00, 0x18, 0xC5};
    for (std::size_t count = 0; count <= sizeof packet; ++count) {
        EXPECT_FALSE(FrameFromDriverPacket(packet, count).has_value()) << count << " bytes";
    }
}

// Every frame the workbench sends keeps all its fields across the driver's packet.
TEST(FrameFromDriverPacket, UndoesTheDriversPacketForEveryWorkbenchFrame) {
    const CanFrame frames[] = {
        testing::FromWorkbench(12, 0, 0x80),
        testing::FromWorkbench(5, 7, 0xC0),
        testing::FromWorkbench(9, 0x21, 0x18, {0xD3, 0x04}),
        testing::FromWorkbench(9, 0x21, 0x38, {1, 2, 3, 4}),
        testing::FromWorkbench(5, 7, 0x68, {0xC0, 0xDB, 3, 4, 5, 6, 7, 8}),
        testing::FromWorkbench(5, 7, 0x28),
        testing::FromWorkbench(9, 5, 0x28, {12}),
        testing::FromWorkbench(62, 0x7F, 0x80),
    };
    for (const CanFrame& sent : frames) {
        std::uint8_t packet[12];
        const std::size_t size = ucan::BuildOutgoingPacket(sent, packet);
        const auto received = FrameFromDriverPacket(packet, size);
        ASSERT_TRUE(received.has_value());
        EXPECT_EQ(Id(*received), Id(sent)) << std::hex << Id(sent);
        EXPECT_EQ(received->FrameFormat, sent.FrameFormat);
        EXPECT_EQ(DataOf(*received), DataOf(sent));
    }
}

TEST(PacketForDriver, WritesThirteenBytesWithTheDestinationLast) {
    CanFrame frame{};
    frame.Id = 0x18AA3F02;
    frame.FrameFormat = 0x80;
    frame.Dlc = 8;
    for (std::uint8_t i = 0; i < 8; ++i) frame.Data[i] = static_cast<std::uint8_t>(i + 1);
    std::uint8_t packet[kPacketFromAdapterSize];
    ASSERT_EQ(PacketForDriver(frame, packet), 13u);
    const std::vector<std::uint8_t> expected = {0x08, 0x5C, 0x7E, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 0x05};
    EXPECT_EQ(std::vector<std::uint8_t>(packet, packet + 13), expected);
}

// Device frames reach the workbench whole: source, register bit 7, flag bit 0,
// the remote bit and the destination, to node 63 and to other nodes.
TEST(PacketForDriver, TheDriverReadsBackEveryDeviceFrame) {
    const CanFrame frames[] = {
        BusFrame(63, 5, 0, 0, reinterpret_cast<const std::uint8_t*>("PUMP"), 4),
        BusFrame(63, 12, 2, 0, std::vector<std::uint8_t>{0x05, 0x00}.data(), 2),
        BusFrame(40, 9, 0x21, 0, std::vector<std::uint8_t>{0xC0, 0xDB, 0xDC}.data(), 3),
        BusFrame(63, 5, 7, 0x40),
        BusFrame(9, 40, 8, 0x80),
        BusFrame(0, 62, 0xFF, 0x01),
    };
    for (const CanFrame& sent : frames) {
        std::uint8_t packet[kPacketFromAdapterSize];
        std::uint8_t wire[ucan::kMaxEncodedPacket];
        const std::size_t wireSize = ucan::StuffPacket(packet, PacketForDriver(sent, packet), wire);
        ucan::PacketDecoder decoder;
        bool complete = false;
        for (std::size_t i = 0; i < wireSize; ++i) complete = decoder.Feed(wire[i]) || complete;
        ASSERT_TRUE(complete) << std::hex << sent.Id;
        const CanFrame received = ucan::PacketToFrame(decoder.Packet(), decoder.Size(), 0);
        EXPECT_EQ(Id(received), Id(sent)) << std::hex << Id(sent);
        EXPECT_EQ(received.FrameFormat, sent.FrameFormat);
        EXPECT_EQ(DataOf(received), DataOf(sent));
    }
}

}  // namespace
}  // namespace tessaline::bench
