// Error reports: switched on and off through register 2, sent whenever the error
// set changes and once a second while on; error bits moved by schedule and by call.
#include <gtest/gtest.h>

#include "BenchTestSupport.h"

namespace tessaline::bench {
namespace {

using namespace testing;

struct Report {
    long long at;
    std::uint16_t mask;
};

bool operator==(const Report& a, const Report& b) { return a.at == b.at && a.mask == b.mask; }
void PrintTo(const Report& r, std::ostream* out) { *out << r.mask << "@" << r.at; }

// Error reports to the workbench between from and to, in 10 ms steps.
std::vector<Report> Reports(VirtualBus& bus, long long from, long long to, std::uint8_t device) {
    std::vector<Report> reports;
    for (long long t = from; t <= to; t += 10) {
        for (const CanFrame& frame : Between(bus.Advance(Ms(t)), device, kPcNode, 2)) {
            EXPECT_TRUE(FrameIsErrorReport(frame));
            EXPECT_EQ(frame.Dlc, 2);
            reports.push_back({t, static_cast<std::uint16_t>(frame.Data[0] | frame.Data[1] << 8)});
        }
    }
    return reports;
}

TEST(DeviceErrors, ReportsComeOnChangeAndOnceASecondWhileSwitchedOn) {
    VirtualBus bus(SmallBench(), Ms(0));
    EXPECT_TRUE(bus.Deliver(FromWorkbench(kPump, 2, 0xC0), Ms(0)).empty());
    EXPECT_EQ(Reports(bus, 0, 1400, kPump), (std::vector<Report>{{0, 0}, {1000, 0}}));

    bus.DeviceAt(kPump)->RaiseErrors(0x0005);
    EXPECT_EQ(Reports(bus, 1500, 2600, kPump), (std::vector<Report>{{1500, 5}, {2500, 5}}));
    bus.DeviceAt(kPump)->ClearErrors(0x0001);
    EXPECT_EQ(Reports(bus, 2700, 2700, kPump), (std::vector<Report>{{2700, 4}}));

    bus.Deliver(FromWorkbench(kPump, 2, 0x80), Ms(2800));
    bus.DeviceAt(kPump)->RaiseErrors(0x0002);
    EXPECT_TRUE(Reports(bus, 2800, 6000, kPump).empty()) << "switched off";
}

TEST(DeviceErrors, AScheduleRaisesAndClearsBitsEveryPeriod) {
    auto bench = SmallBench();
    bench.devices[0].errorSchedule = {Ms(1000), {{Ms(300), 0x0006, 0}, {Ms(700), 0, 0x0002}}};
    VirtualBus bus(bench, Ms(0));
    bus.Deliver(FromWorkbench(kPump, 2, 0xC0), Ms(0));
    EXPECT_EQ(Reports(bus, 0, 1800, kPump),
              (std::vector<Report>{{0, 0}, {300, 6}, {700, 4}, {1300, 6}, {1700, 4}}));
    EXPECT_EQ(bus.DeviceAt(kPump)->Errors(), 4);
}

TEST(DeviceErrors, ErrorsThatChangeWhileNobodyListensAreReportedWhenReportsStart) {
    VirtualBus bus(SmallBench(), Ms(0));
    bus.DeviceAt(kPump)->RaiseErrors(0x0001);
    EXPECT_TRUE(bus.Advance(Ms(500)).empty());
    bus.Deliver(FromWorkbench(kPump, 2, 0xC0), Ms(600));
    EXPECT_EQ(Reports(bus, 600, 600, kPump), (std::vector<Report>{{600, 1}}));
}

}  // namespace
}  // namespace tessaline::bench
