// The workbench core through the real libcorvane.so and a pseudo-terminal against
// the default bench: scan, menu load, reading every register, listening, writes,
// programming and error reports, as a service engineer meets them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "BenchOnCorvane.h"
#include "app/buslink/FrameId.h"
#include "app/menus/AnswerMatches.h"
#include "app/menus/MenuCapture.h"
#include "app/menus/RegisterAccess.h"

namespace tessaline {
namespace {

using namespace std::chrono_literals;
using testing::BenchOnCorvane;

class BenchOnCorvaneTest : public BenchOnCorvane {
protected:
    MenuItemType& Item(std::uint8_t device, std::uint8_t reg) {
        for (auto& item : workbench.items) {
            if (item->deviceId == device && item->regId == reg) return *item;
        }
        ADD_FAILURE() << "no item " << int(reg) << " of device " << int(device);
        static MenuItemType none;
        return none;
    }

    // Loads the menus of the given devices after a scan.
    void ScanAndLoad(const std::vector<std::uint8_t>& ids) {
        MenuCapture capture(workbench.CaptureShared());
        Scan(capture);
        capture.Load(ids);
        ASSERT_THAT(user.Errors(), ::testing::IsEmpty());
    }

    // Value frames of item taken from RxQueue within timeout, at most wanted.
    int ValueFrames(MenuItemType& item, int wanted, std::chrono::milliseconds timeout) {
        int count = 0;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (count < wanted && std::chrono::steady_clock::now() < deadline) {
            workbench.dispatch.canMsg.Wait(50ms);
            workbench.dispatch.rxQueue.TakeAll([&](const CanFrame& frame) {
                if (AnswerMatches(&item, frame, kPcNode)) ++count;
            });
        }
        return count;
    }

    bench::RegisterValue BenchValue(std::uint8_t device, std::uint8_t reg) {
        return OnBus([&](bench::VirtualBus& bus) { return *bus.DeviceAt(device)->Value(reg, bench::BenchTime{0}); });
    }
};

TEST_F(BenchOnCorvaneTest, ScanFindsEveryDeviceWithItsNameButNotASilentOne) {
    MenuCapture capture(workbench.CaptureShared());
    EXPECT_EQ(Scan(capture), (std::vector<std::uint8_t>{5, 12, 20, 33}));
    EXPECT_EQ(capture.DeviceLines(), (std::vector<std::string>{"ID=5   PUMP    ", "ID=12   HEATER  ", "ID=20   VALVE   ",
                                                               "ID=33   LOADTEST"}));

    OnBus([](bench::VirtualBus& bus) { bus.DeviceAt(12)->Faults().silent = true; });
    EXPECT_EQ(Scan(capture), (std::vector<std::uint8_t>{5, 20, 33}));
}

TEST_F(BenchOnCorvaneTest, ReadingEveryRegisterGivesTheBenchsValues) {
    ScanAndLoad({5, 12, 20});
    MenuCapture capture(workbench.CaptureShared());
    ASSERT_TRUE(capture.StartReadAll());
    RunTimer(capture);
    ASSERT_THAT(user.Errors(), ::testing::IsEmpty());
    int compared = 0;
    for (const auto& device : Description().devices) {
        for (const auto& entry : device.menu) {
            if (entry.IsGroupHeader() || entry.generator || device.address == 33) continue;
            SCOPED_TRACE(entry.name);
            const TaggedValue value = Item(device.address, entry.reg).Value();
            const bench::RegisterValue expected = BenchValue(device.address, entry.reg);
            if (const auto* text = std::get_if<std::string>(&expected)) {
                EXPECT_EQ(std::get<std::string>(value), *text);
            } else if (const auto* real = std::get_if<float>(&expected)) {
                EXPECT_FLOAT_EQ(static_cast<float>(std::get<double>(value)), *real);
            } else {
                EXPECT_EQ(std::get<std::int64_t>(value), std::get<std::int64_t>(expected));
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 20);
}

TEST_F(BenchOnCorvaneTest, ListeningBringsValuesUntilTheLastListenerStops) {
    ScanAndLoad({5});
    MenuItemType& setpoint = Item(5, 9);
    workbench.dispatch.SetReceiveMode(kModeBrowsing, &setpoint);
    StartListening(workbench.link, setpoint);
    StartListening(workbench.link, setpoint);
    EXPECT_EQ(ValueFrames(setpoint, 3, 3000ms), 3) << "every 100 ms";
    StopListening(workbench.link, &setpoint);
    EXPECT_EQ(ValueFrames(setpoint, 2, 3000ms), 2) << "one listener is left";
    StopListening(workbench.link, &setpoint);
    ValueFrames(setpoint, 1, 200ms);  // what was under way
    EXPECT_EQ(ValueFrames(setpoint, 1, 500ms), 0);
    workbench.dispatch.DetachFilter();
}

TEST_F(BenchOnCorvaneTest, WritesAreLimitedIgnoredWhenReadOnlyAndProgrammedValuesSurvivePower) {
    ScanAndLoad({5});
    MenuItemType& setpoint = Item(5, 9);  // u16 0..3000, writable, NV
    MenuItemType& hours = Item(5, 13);    // u32, read-only at every level
    workbench.dispatch.SetReceiveMode(kModeOneItem, &setpoint);
    setpoint.SetValue(std::int64_t{5000});
    WriteItem(workbench.link, &setpoint, false);
    ASSERT_EQ(ValueFrames(setpoint, 1, 3000ms), 1);
    EXPECT_EQ(std::get<std::int64_t>(setpoint.Value()), 3000) << "the device's answer is its stored value";

    setpoint.SetValue(std::int64_t{1234});
    WriteItem(workbench.link, &setpoint, true);
    ASSERT_EQ(ValueFrames(setpoint, 1, 3000ms), 1);
    setpoint.SetValue(std::int64_t{2222});
    WriteItem(workbench.link, &setpoint, false);
    ASSERT_EQ(ValueFrames(setpoint, 1, 3000ms), 1);
    OnBus([](bench::VirtualBus& bus) { bus.PowerCycle(bench::BenchTime{0}); });
    EXPECT_EQ(BenchValue(5, 9), bench::RegisterValue(std::int64_t{1234}));

    workbench.dispatch.SetReceiveMode(kModeOneItem, &hours);
    hours.SetValue(std::int64_t{7});
    WriteItem(workbench.link, &hours, false);
    ASSERT_EQ(ValueFrames(hours, 1, 3000ms), 1);
    EXPECT_EQ(std::get<std::int64_t>(hours.Value()), 123456);
    workbench.dispatch.DetachFilter();
}

TEST_F(BenchOnCorvaneTest, ErrorReportsFollowTheDevicesErrorSet) {
    ScanAndLoad({20});  // loading its error list switches its reports on
    std::vector<std::uint16_t> masks;
    const auto waitFor = [&](std::uint16_t wanted) {
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (std::chrono::steady_clock::now() < deadline) {
            bool seen = false;
            workbench.dispatch.errorQueue.TakeAll([&](const CanFrame& frame) {
                if (FrameSource(frame) != 20) return;
                masks.push_back(static_cast<std::uint16_t>(frame.Data[0] | frame.Data[1] << 8));
                seen = seen || masks.back() == wanted;
            });
            if (seen) return true;
            workbench.dispatch.canMsg.Wait(50ms);
        }
        return false;
    };
    EXPECT_TRUE(waitFor(0x0008)) << "the valve starts with low air";
    OnBus([](bench::VirtualBus& bus) { bus.DeviceAt(20)->RaiseErrors(0x0006); });
    EXPECT_TRUE(waitFor(0x000E));
    OnBus([](bench::VirtualBus& bus) { bus.DeviceAt(20)->ClearErrors(0x000E); });
    EXPECT_TRUE(waitFor(0x0000));
}

}  // namespace
}  // namespace tessaline
