// Block downloads of the menu list, the error list and the data file, and
// uploads of the data file, with the device on the other side of the workbench's
// transfer rules.
#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "BenchTestSupport.h"
#include "DeviceBlocks.h"
#include "app/buslink/BlockCrc.h"

namespace tessaline::bench {
namespace {

using namespace testing;

struct Downloaded {
    Block block;
    int chunks = 0;
    bool ended = false;  // by an empty frame without R
};

// Plays the download worker: request, acknowledge every chunk, stop at the end frame.
Downloaded Download(VirtualBus& bus, std::uint8_t device, std::uint8_t reg, long long& now, long long limitMs = 60000) {
    Downloaded result;
    std::deque<CanFrame> pending;
    const auto take = [&pending](const std::vector<CanFrame>& frames) { pending.insert(pending.end(), frames.begin(), frames.end()); };
    take(bus.Deliver(FromWorkbench(device, reg, 0xC0), Ms(now)));
    while (!result.ended && now <= limitMs) {
        while (!pending.empty() && !result.ended) {
            const CanFrame frame = pending.front();
            pending.pop_front();
            if (Between({frame}, device, kPcNode, reg).empty()) continue;
            if (frame.Dlc == 0 && !(FrameFlags(frame) & fl::R)) {
                result.ended = true;
                break;
            }
            ++result.chunks;
            result.block.insert(result.block.end(), frame.Data, frame.Data + frame.Dlc);
            take(bus.Deliver(FromWorkbench(device, reg, 0x80), Ms(now)));
        }
        if (!result.ended) {
            now += 10;
            take(bus.Advance(Ms(now)));
        }
    }
    return result;
}

Block Sealed(const std::string& payload) { return SealBlock(std::vector<std::uint8_t>(payload.begin(), payload.end())); }

TEST(DeviceBlocks, MenuErrorListAndDataFileDownloadWithAValidCheckWord) {
    VirtualBus bus(SmallBench(), Ms(0));
    const DeviceDescription description = SmallBench().devices[0];
    const struct {
        std::uint8_t reg;
        Block expected;
    } cases[] = {
        {1, BuildMenuBlock(description.menu)},
        {4, Sealed(std::string("\x01\x00One\0first\0\x06\x00Two\0second\0", 25))},
        {7, Sealed("hello")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.reg));
        long long now = 0;
        const Downloaded got = Download(bus, kPump, c.reg, now);
        EXPECT_TRUE(got.ended);
        EXPECT_EQ(got.block, c.expected);
        EXPECT_TRUE(BlockIsValid(got.block));
        EXPECT_EQ(got.chunks, static_cast<int>((c.expected.size() + 7) / 8));
    }
}

TEST(DeviceBlocks, MenuRecordsCarryLimitsInTheSizeOfTheirTypeAndThreeTexts) {
    MenuEntry u16;
    u16.reg = 8;
    u16.menuByte = 0x11;
    u16.type = DataType::U16;
    u16.rights = 0x7F;
    u16.min = std::int64_t{10};
    u16.max = std::int64_t{1000};
    u16.shortName = "SP";
    u16.printFormat = "%d";
    u16.name = "Set";
    MenuEntry str8 = u16;
    str8.type = DataType::Str8;
    str8.min = std::string("A");
    str8.max = std::string("Z");
    const Block block = BuildMenuBlock({u16, str8});
    const std::vector<std::uint8_t> payload(block.begin() + 2, block.end());
    const std::vector<std::uint8_t> expected = {
        8, 0x11, 2, 0x7F, 10, 0, 0xE8, 3, 'S', 'P', 0, '%', 'd', 0, 'S', 'e', 't', 0,
        8, 0x11, 7, 0x7F, 'A', 0, 0, 0, 0, 0, 0, 0, 'Z', 0, 0, 0, 0, 0, 0, 0, 'S', 'P', 0, '%', 'd', 0, 'S', 'e', 't', 0};
    EXPECT_EQ(payload, expected);
    EXPECT_TRUE(BlockIsValid(block));
}

TEST(DeviceBlocks, EachChunkWaitsForTheAcknowledgementOfThePreviousOne) {
    VirtualBus bus(SmallBench(), Ms(0));
    const auto first = bus.Deliver(FromWorkbench(kPump, 1, 0xC0), Ms(0));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].Dlc, 8);
    EXPECT_TRUE(bus.Advance(Ms(5000)).empty()) << "no chunk before the acknowledgement";
    EXPECT_TRUE(bus.Deliver(FromWorkbench(kPump, 4, 0x80), Ms(5000)).empty()) << "an acknowledgement for another block";
    EXPECT_TRUE(bus.Deliver(BusFrame(kPump, kMaster, 1, 0x80), Ms(5000)).empty()) << "an acknowledgement from another node";
    const auto second = bus.Deliver(FromWorkbench(kPump, 1, 0x80), Ms(5000));
    ASSERT_EQ(second.size(), 1u);
    const Block menu = BuildMenuBlock(SmallBench().devices[0].menu);
    EXPECT_EQ(DataOf(second[0]), std::vector<std::uint8_t>(menu.begin() + 8, menu.begin() + 16));
}

TEST(DeviceBlocks, ABlockOfWholeChunksEndsWithAnEmptyFrameAfterTheLastAcknowledgement) {
    auto bench = SmallBench();
    bench.devices[0].dataFile = Sealed("sixsix");  // 8 bytes
    VirtualBus bus(bench, Ms(0));
    const auto chunk = bus.Deliver(FromWorkbench(kPump, 7, 0xC0), Ms(0));
    ASSERT_EQ(chunk.size(), 1u);
    EXPECT_EQ(chunk[0].Dlc, 8);
    const auto end = bus.Deliver(FromWorkbench(kPump, 7, 0x80), Ms(0));
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].Dlc, 0);
    EXPECT_EQ(FrameFlags(end[0]), 0) << "neither R nor a remote request";
    EXPECT_TRUE(bus.Deliver(FromWorkbench(kPump, 7, 0x80), Ms(0)).empty()) << "nothing after the end";
}

struct UploadCase {
    const char* what;
    Block block;
    bool refuse;
    bool accepted;
};

TEST(DeviceBlocks, UploadsAreAcknowledgedChunkByChunkAndClosedByTheCheckWord) {
    Block badCheck = Sealed("0123456789");
    badCheck[0] ^= 1;
    const UploadCase cases[] = {
        {"valid, 12 bytes", Sealed("0123456789"), false, true},
        {"valid, exactly 8 bytes", Sealed("abcdef"), false, true},
        {"empty payload", Block{0, 0}, false, true},
        {"wrong check word", badCheck, false, false},
        {"one byte", Block{0x00}, false, false},
        {"device set to refuse", Sealed("0123456789"), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualBus bus(SmallBench(), Ms(0));
        bus.DeviceAt(kPump)->Faults().refuseUpload = c.refuse;
        std::size_t sent = 0;
        bool first = true;
        std::vector<CanFrame> acks;
        while (true) {
            const std::size_t n = std::min<std::size_t>(8, c.block.size() - sent);
            CanFrame chunk = FromWorkbench(kPump, 7, first ? 0x68 : 0x28);
            chunk.Dlc = static_cast<std::uint8_t>(n);
            std::copy(c.block.begin() + sent, c.block.begin() + sent + n, chunk.Data);
            const auto answers = bus.Deliver(chunk, Ms(0));
            ASSERT_EQ(answers.size(), 1u) << "every chunk is acknowledged";
            acks.push_back(answers[0]);
            sent += n;
            first = false;
            if (n == 0) break;
        }
        for (std::size_t i = 0; i + 1 < acks.size(); ++i) {
            EXPECT_EQ(FrameReg(acks[i]), 7);
            EXPECT_EQ(FrameDest(acks[i]), kPcNode);
            EXPECT_EQ(FrameFlags(acks[i]) & fl::R, 0) << "chunk " << i;
        }
        EXPECT_EQ((FrameFlags(acks.back()) & fl::R) == 0, c.accepted) << "closing acknowledgement";
        EXPECT_EQ(bus.DeviceAt(kPump)->DataFile(), c.accepted ? c.block : Sealed("hello"));
    }
}

TEST(DeviceBlocks, AnUploadedDataFileComesBackByDownloadAndSurvivesAPowerCycle) {
    VirtualBus bus(SmallBench(), Ms(0));
    const Block block = Sealed("new file");
    bus.Deliver(FromWorkbench(kPump, 7, 0x68, {block[0], block[1], block[2], block[3], block[4], block[5], block[6], block[7]}),
                Ms(0));
    bus.Deliver(FromWorkbench(kPump, 7, 0x28, {block[8], block[9]}), Ms(0));
    bus.Deliver(FromWorkbench(kPump, 7, 0x28), Ms(0));
    bus.PowerCycle(Ms(0));
    long long now = 0;
    EXPECT_EQ(Download(bus, kPump, 7, now).block, block);
}

}  // namespace
}  // namespace tessaline::bench
