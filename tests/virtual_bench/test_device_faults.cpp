// Every fault switch of a device, with the outcome the workbench meets.
#include <gtest/gtest.h>

#include "BenchTestSupport.h"
#include "app/buslink/BlockCrc.h"

namespace tessaline::bench {
namespace {

using namespace testing;

// Frames from the device to the workbench on reg within the next ms milliseconds.
std::size_t FramesWithin(VirtualBus& bus, const std::vector<CanFrame>& first, std::uint8_t reg, long long from,
                         long long ms) {
    std::size_t count = Between(first, kPump, kPcNode, reg).size();
    for (long long t = from; t <= from + ms; t += 10) count += Between(bus.Advance(Ms(t)), kPump, kPcNode, reg).size();
    return count;
}

TEST(DeviceFaults, MissingListsLeaveTheirRequestUnansweredAndNothingElse) {
    const struct {
        const char* what;
        bool DeviceFaults::*fault;
        std::uint8_t silentRegister;
        std::uint8_t answeringRegister;
    } cases[] = {
        {"no menu list", &DeviceFaults::noMenuList, 1, 4},
        {"no error list", &DeviceFaults::noErrorList, 4, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualBus bus(SmallBench(), Ms(0));
        bus.DeviceAt(kPump)->Faults().*c.fault = true;
        EXPECT_EQ(FramesWithin(bus, bus.Deliver(FromWorkbench(kPump, c.silentRegister, 0xC0), Ms(0)), c.silentRegister,
                               0, 3000),
                  0u);
        EXPECT_EQ(bus.Deliver(FromWorkbench(kPump, c.answeringRegister, 0xC0), Ms(3000)).size(), 1u);
    }
}

TEST(DeviceFaults, AWrongMenuCheckWordSpoilsOnlyTheCheckWord) {
    VirtualBus bus(SmallBench(), Ms(0));
    bus.DeviceAt(kPump)->Faults().badMenuCrc = true;
    Block block;
    auto frames = bus.Deliver(FromWorkbench(kPump, 1, 0xC0), Ms(0));
    while (!frames.empty() && frames[0].Dlc > 0) {
        block.insert(block.end(), frames[0].Data, frames[0].Data + frames[0].Dlc);
        frames = bus.Deliver(FromWorkbench(kPump, 1, 0x80), Ms(0));
    }
    const Block good = BuildMenuBlock(SmallBench().devices[0].menu);
    ASSERT_EQ(block.size(), good.size());
    EXPECT_FALSE(BlockIsValid(block));
    EXPECT_TRUE(std::equal(block.begin() + 2, block.end(), good.begin() + 2));
}

TEST(DeviceFaults, AChunkIntervalDelaysEveryFrameOfADownload) {
    VirtualBus bus(SmallBench(), Ms(0));
    bus.DeviceAt(kPump)->Faults().chunkInterval = Ms(1500);
    EXPECT_TRUE(bus.Deliver(FromWorkbench(kPump, 7, 0xC0), Ms(0)).empty());
    EXPECT_TRUE(bus.Advance(Ms(1490)).empty());
    EXPECT_EQ(bus.NextDue(), Ms(1500));
    ASSERT_EQ(bus.Advance(Ms(1500)).size(), 1u);
    EXPECT_TRUE(bus.Deliver(FromWorkbench(kPump, 7, 0x80), Ms(1600)).empty());
    EXPECT_TRUE(bus.Advance(Ms(3090)).empty());
    const auto end = bus.Advance(Ms(3100));
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(end[0].Dlc, 0) << "the 7-byte data file fits one chunk; then the end frame";
}

TEST(DeviceFaults, ASilentDeviceAnswersNothingUntilSwitchedBack) {
    VirtualBus bus(SmallBench(), Ms(0));
    VirtualDevice& pump = *bus.DeviceAt(kPump);
    pump.Faults().silent = true;
    const CanFrame requests[] = {
        FromWorkbench(kPump, 0, 0x80), FromWorkbench(kPump, 8, 0x80),      FromWorkbench(kPump, 8, 0xC0),
        FromWorkbench(kPump, 1, 0xC0), FromWorkbench(kPump, 2, 0xC0),      FromWorkbench(kPump, 8, 0x18, {1, 1}),
        FromWorkbench(kPump, 7, 0x68, {0, 0}),
    };
    for (const CanFrame& request : requests) EXPECT_TRUE(bus.Deliver(request, Ms(0)).empty());
    pump.RaiseErrors(1);
    EXPECT_TRUE(bus.Advance(Ms(3000)).empty());
    EXPECT_EQ(pump.Value(8, Ms(3000)), RegisterValue(std::int64_t{100})) << "nor does it take writes";

    pump.Faults().silent = false;
    EXPECT_EQ(bus.Deliver(FromWorkbench(kPump, 0, 0x80), Ms(3000)).size(), 1u);
}

}  // namespace
}  // namespace tessaline::bench
