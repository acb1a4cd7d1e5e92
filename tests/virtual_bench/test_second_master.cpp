#include <gtest/gtest.h>

#include <set>

#include "BenchTestSupport.h"

namespace tessaline::bench {
namespace {

using namespace testing;

TEST(SecondMaster, ReadsRegistersOfEveryDeviceAndTheirAnswersGoToIt) {
    VirtualBus bus(SmallBench(), Ms(0));
    EXPECT_TRUE(bus.Advance(Ms(1000)).empty()) << "off until switched on";
    bus.Master().Enable(true, Ms(1000));
    std::set<std::pair<int, int>> read;
    for (long long t = 1000; t < 1000 + 100 * 8; t += 10) {
        const auto frames = bus.Advance(Ms(t));
        for (const CanFrame& frame : frames) {
            EXPECT_NE(FrameDest(frame), kPcNode) << "between other nodes only";
            if (FrameSource(frame) == kMaster) {
                EXPECT_TRUE(FrameIsRequest(frame));
                read.emplace(FrameDest(frame), FrameReg(frame));
            } else {
                EXPECT_EQ(FrameDest(frame), kMaster);
                EXPECT_GT(frame.Dlc, 0);
            }
        }
        EXPECT_EQ(frames.size() % 2, 0u) << "every read is answered";
    }
    // 8 periods: the 7 registers of the pump and the first of the valve.
    EXPECT_EQ(read.size(), 8u);
    EXPECT_TRUE(read.count({kValve, 8}));
    const auto& log = bus.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front().origin, FrameOrigin::SecondMaster);
    EXPECT_EQ(log[1].origin, FrameOrigin::Device);

    bus.Master().Enable(false, Ms(2000));
    EXPECT_TRUE(bus.Advance(Ms(5000)).empty());
}

}  // namespace
}  // namespace tessaline::bench
