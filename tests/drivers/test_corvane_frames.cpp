// Frames both ways through the real driver and a pseudo-terminal.
#include <future>
#include <map>

#include "adapter_codec.h"
#include "corvane_fixture.h"
#include "frame_literal.h"
#include "thread_probe.h"

namespace tessaline::testing {
namespace {

std::uint32_t Tick() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// The packets (unstuffed) in a byte stream from the driver.
std::vector<Bytes> Packets(const Bytes& stream) {
    ucan::PacketDecoder decoder;
    std::vector<Bytes> packets;
    for (std::uint8_t b : stream) {
        if (!decoder.Feed(b)) continue;
        packets.emplace_back(decoder.Packet(), decoder.Packet() + decoder.Size());
        decoder.Consume();
    }
    return packets;
}

std::size_t EncodedSize(const CanFrame& frame) {
    std::uint8_t wire[ucan::kMaxEncodedFrame];
    return ucan::EncodeFrame(frame, wire);
}

Bytes Unstuffed(const CanFrame& frame) {
    std::uint8_t packet[12];
    const std::size_t n = ucan::BuildOutgoingPacket(frame, packet);
    return Bytes(packet, packet + n);
}

TEST_F(CorvaneTest, EachWrittenFrameLeavesAsOnePacketAfterTheOpeningEnd) {
    Connect();
    CanFrame frames[] = {
        MakeFrame(0x18AABF02, 0x80, 2, {0xC0, 0x11}),
        MakeFrame(0x18AABF02, 0xC0, 0, {}),
        MakeFrame(0x1B6C3F5B, 0x80, 1, {0xDB}),
    };
    for (CanFrame& f : frames) EXPECT_EQ(driver.writeCanMsg(0, &f), UCAN_OK);
    const Bytes expected = {0xC0, 0x02, 0x5C, 0xC5, 0x04, 0xDB, 0xDC, 0x11, 0xC0,  //
                            0xC0, 0x00, 0x5C, 0xC5, 0x05, 0xC0,                    //
                            0xC0, 0x01, 0x78, 0xDB, 0xDD, 0xB6, 0xDB, 0xDD, 0xC0};
    EXPECT_EQ(adapter.Receive(expected.size()), expected);
    EXPECT_EQ(driver.writeCanMsg(0, nullptr), UCAN_WARN_NULL_POINTER);
}

TEST_F(CorvaneTest, EveryReceivedPacketIsQueuedAndAnnouncedOnceOnTheReceiveThread) {
    Connect();
    Bytes stream = {0xC0, 0x02, 0x5C, 0x7E, 0x05, 0x11, 0x22, 0xC0,  // remote frame from node 0x3F... to 63
                    0xC0, 0x08, 0x5C, 0x7E, 0x04, 1, 2, 3, 4, 5, 6, 7, 8, 0x05, 0xC0};  // to node 5
    constexpr std::uint32_t kNumbered = 40;
    for (std::uint32_t n = 0; n < kNumbered; ++n) {
        const Bytes packet = NumberedPacket(n);
        stream.insert(stream.end(), packet.begin(), packet.end());
    }
    const std::uint32_t before = Tick();
    adapter.Send(stream);
    const std::size_t total = 2 + kNumbered;
    ASSERT_TRUE(EventLog::Instance().WaitForCount(total)) << EventLog::Instance().Count();
    const std::uint32_t after = Tick();

    CanFrame frame{};
    ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK);
    EXPECT_EQ(std::uint32_t{frame.Id}, 0x1FEA3F02u);
    EXPECT_EQ(frame.FrameFormat, 0xC0);
    EXPECT_EQ(frame.Dlc, 2);
    EXPECT_EQ(frame.Data[0], 0x11);
    EXPECT_EQ(frame.Data[1], 0x22);
    EXPECT_LE(frame.Time - before, after - before) << "stamped with the tick count on arrival";
    ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK);
    EXPECT_EQ(std::uint32_t{frame.Id}, 0x18AA3F02u);
    EXPECT_EQ(frame.Data[7], 8);
    for (std::uint32_t n = 0; n < kNumbered; ++n) {
        ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK);
        EXPECT_EQ(NumberOf(frame), n);
        EXPECT_EQ(frame.Data[3], 0xC0);
        EXPECT_EQ(frame.Data[4], 0xDB);
        EXPECT_EQ(std::uint32_t{frame.Id}, 0x1FEA3F02u) << "destination 63 again";
    }
    EXPECT_EQ(driver.readCanMsg(0, &frame), UCAN_WARN_NO_DATA);

    ASSERT_EQ(driver.deinitCan(0), UCAN_OK);
    const auto events = EventLog::Instance().Events();
    ASSERT_EQ(events.size(), total) << "one event per frame, and no more once stopped";
    for (const auto& e : events) {
        EXPECT_EQ(e.event, UCAN_EVENT_RECEIVE);
        EXPECT_EQ(e.handle, 0);
        EXPECT_NE(e.thread, std::this_thread::get_id());
        EXPECT_EQ(e.thread, events.front().thread) << "all from the one receive thread";
    }
}

TEST_F(CorvaneTest, TheQueueIndexesWrapAfter500Frames) {
    Connect();
    CanFrame frame{};
    for (std::uint32_t n = 0; n <= 500; ++n) {
        adapter.Send(NumberedPacket(n));
        ASSERT_TRUE(EventLog::Instance().WaitForCount(n + 1)) << n;
        ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK) << n;
        ASSERT_EQ(NumberOf(frame), n);
    }
    EXPECT_EQ(driver.readCanMsg(0, &frame), UCAN_WARN_NO_DATA);
}

TEST_F(CorvaneTest, ConcurrentWritersNeverInterleavePackets) {
    Connect();
    constexpr std::uint32_t kWriters = 4;
    constexpr std::uint32_t kFramesEach = 250;
    const auto frameOf = [](std::uint32_t writer, std::uint32_t n) {
        return MakeFrame(0x18000000u | (writer << 21), 0x80, 8,
                     {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), 0xC0, 0xDB, 0xC0, 0xDB, 0xC0,
                      0xDB});
    };
    std::vector<std::thread> writers;
    for (std::uint32_t w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (std::uint32_t n = 0; n < kFramesEach; ++n) {
                CanFrame frame = frameOf(w, n);
                driver.writeCanMsg(0, &frame);
            }
        });
    }
    std::size_t wireSize = 0;
    for (std::uint32_t w = 0; w < kWriters; ++w) {
        for (std::uint32_t n = 0; n < kFramesEach; ++n) wireSize += EncodedSize(frameOf(w, n));
    }
    const Bytes stream = adapter.Receive(wireSize);
    for (auto& t : writers) t.join();

    const std::vector<Bytes> packets = Packets(stream);
    ASSERT_EQ(packets.size(), kWriters * kFramesEach);
    std::map<std::uint32_t, std::uint32_t> nextOf;
    for (const Bytes& packet : packets) {
        const std::uint32_t writer = packet[2] & 0x3Fu;
        ASSERT_LT(writer, kWriters);
        ASSERT_EQ(packet, Unstuffed(frameOf(writer, nextOf[writer]))) << "writer " << writer;
        ++nextOf[writer];
    }
}

TEST_F(CorvaneTest, AWriteWaitsForRoomUntilItsWholePacketIsOut) {
    Connect();
    // Far more than a pseudo-terminal buffers, so the writer has to wait for room.
    constexpr std::uint32_t kFrames = 8000;
    const auto frameOf = [](std::uint32_t n) {
        return MakeFrame(0x18000000, 0x80, 8, {0xC0, 0xDB, 0xC0, 0xDB, static_cast<std::uint8_t>(n), 0xC0, 0xDB, 0xC0});
    };
    std::size_t wireSize = 0;
    for (std::uint32_t n = 0; n < kFrames; ++n) wireSize += EncodedSize(frameOf(n));
    std::promise<pid_t> writerTid;
    std::thread writer([&] {
        writerTid.set_value(gettid());
        for (std::uint32_t n = 0; n < kFrames; ++n) {
            CanFrame frame = frameOf(n);
            driver.writeCanMsg(0, &frame);
        }
    });
    EXPECT_TRUE(WaitUntilBlocked(writerTid.get_future().get(), [](const BlockedCall& c) { return IsPollOn(c, 1); }))
        << "the writer waits in poll for room";

    const Bytes stream = adapter.Receive(wireSize);
    writer.join();
    EXPECT_EQ(stream.size(), wireSize);
    const std::vector<Bytes> packets = Packets(stream);
    ASSERT_EQ(packets.size(), kFrames);
    for (std::uint32_t n = 0; n < kFrames; ++n) ASSERT_EQ(packets[n], Unstuffed(frameOf(n))) << n;
}

}  // namespace
}  // namespace tessaline::testing
