#include <gtest/gtest.h>

#include "BenchTestSupport.h"
#include "ControlCommands.h"

namespace tessaline::bench {
namespace {

using namespace testing;

TEST(ControlCommands, ChangeTheBenchAsTheirNamesSay) {
    VirtualBus bus(SmallBench(), Ms(0));
    VirtualDevice& pump = *bus.DeviceAt(kPump);
    const struct {
        const char* line;
        const char* output;
    } steps[] = {
        {"set 5 8 2000", "ok 2000\n"},        // not limited: the device itself changes it
        {"set 0x5 10 1.25", "ok 1.25\n"},
        {"set 5 11 HELLO", "ok HELLO\n"},
        {"set 5 14 7", "ok 7\n"},             // stops the ramp
        {"raise 5 0x0006", "errors 0x0006\n"},
        {"clear 5 2", "errors 0x0004\n"},
        {"fault 5 nomenu on", "ok\n"},
        {"fault 5 noerrors on", "ok\n"},
        {"fault 5 badcrc on", "ok\n"},
        {"fault 5 refuse on", "ok\n"},
        {"fault 5 silent on", "ok\n"},
        {"fault 5 chunk 1500", "ok\n"},
        {"master on", "ok\n"},
        {"", ""},
    };
    for (const auto& step : steps) {
        const CommandResult result = RunCommand(bus, step.line, Ms(100));
        EXPECT_EQ(result.output, step.output) << step.line;
        EXPECT_FALSE(result.quit);
    }
    EXPECT_EQ(pump.Value(8, Ms(100)), RegisterValue(std::int64_t{2000}));
    EXPECT_EQ(pump.Value(10, Ms(100)), RegisterValue(1.25f));
    EXPECT_EQ(pump.Value(11, Ms(100)), RegisterValue(std::string("HELLO")));
    EXPECT_EQ(pump.Value(14, Ms(900)), RegisterValue(std::int64_t{7}));
    EXPECT_EQ(pump.Errors(), 0x0004);
    const DeviceFaults& f = pump.Faults();
    EXPECT_TRUE(f.noMenuList && f.noErrorList && f.badMenuCrc && f.refuseUpload && f.silent);
    EXPECT_EQ(f.chunkInterval, Ms(1500));
    EXPECT_TRUE(bus.Master().Enabled());

    const std::string list = RunCommand(bus, "list", Ms(100)).output;
    EXPECT_NE(list.find("device 5 PUMP: 7 registers, errors 0x0004"), std::string::npos) << list;
    EXPECT_NE(list.find("faults nomenu,noerrors,badcrc,refuse,silent,chunk=1500ms"), std::string::npos) << list;
    EXPECT_NE(list.find("device 9 VALVE"), std::string::npos) << list;
    EXPECT_NE(list.find("second master 40: on"), std::string::npos) << list;
    EXPECT_TRUE(RunCommand(bus, "quit", Ms(100)).quit);
}

TEST(ControlCommands, RefuseWhatTheyCannotDo) {
    VirtualBus bus(SmallBench(), Ms(0));
    const char* lines[] = {"jump", "set 5 8", "set 6 8 1", "set 5 99 1", "set 5 8 many", "raise 5 0x10000",
                           "fault 5 melt on", "fault 5 silent maybe", "master sometimes", "show 70"};
    for (const char* line : lines) {
        const CommandResult result = RunCommand(bus, line, Ms(0));
        EXPECT_EQ(result.output.rfind("error: ", 0), 0u) << line << " -> " << result.output;
    }
    EXPECT_EQ(bus.DeviceAt(kPump)->Value(8, Ms(0)), RegisterValue(std::int64_t{100}));
}

TEST(ControlCommands, PowerCyclesOneDeviceOrAll) {
    VirtualBus bus(SmallBench(), Ms(0));
    RunCommand(bus, "set 5 8 500", Ms(0));
    RunCommand(bus, "set 9 8 9", Ms(0));
    EXPECT_EQ(RunCommand(bus, "power 9", Ms(0)).output, "ok\n");
    EXPECT_EQ(bus.DeviceAt(kValve)->Value(8, Ms(0)), RegisterValue(std::int64_t{3}));
    EXPECT_EQ(bus.DeviceAt(kPump)->Value(8, Ms(0)), RegisterValue(std::int64_t{500}));
    RunCommand(bus, "power", Ms(0));
    EXPECT_EQ(bus.DeviceAt(kPump)->Value(8, Ms(0)), RegisterValue(std::int64_t{100}));
}

}  // namespace
}  // namespace tessaline::bench
