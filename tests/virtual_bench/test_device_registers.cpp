// Scan probe, single reads, listening, writes, programming and the node address
// and name, each answered by a device as the workbench expects.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "BenchTestSupport.h"

namespace tessaline::bench {
namespace {

using namespace testing;

class DeviceRegisters : public ::testing::Test {
protected:
    std::vector<CanFrame> Send(const CanFrame& frame, long long ms) { return bus.Deliver(frame, Ms(ms)); }

    // The stored value of a register as the device answers a single read.
    std::vector<std::uint8_t> Read(std::uint8_t device, std::uint8_t reg, long long ms) {
        const auto answers = Send(FromWorkbench(device, reg, 0x80), ms);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? std::vector<std::uint8_t>{} : DataOf(answers[0]);
    }

    VirtualBus bus{SmallBench(), Ms(0)};
};

TEST_F(DeviceRegisters, ScanFindsEachDeviceUnderItsAddressWithItsName) {
    std::vector<std::pair<std::uint8_t, std::string>> found;
    for (std::uint8_t address = 0; address <= 62; ++address) {
        for (const CanFrame& answer : Send(FromWorkbench(address, 0, 0x80), 0)) {
            EXPECT_EQ(FrameDest(answer), kPcNode);
            EXPECT_EQ(FrameReg(answer), 0);
            EXPECT_FALSE(FrameIsRequest(answer));
            EXPECT_EQ(FrameFlags(answer) & (fl::R | fl::Q), 0);
            found.emplace_back(FrameSource(answer), std::string(answer.Data, answer.Data + answer.Dlc));
        }
    }
    const std::vector<std::pair<std::uint8_t, std::string>> expected = {{kPump, "PUMP"}, {kValve, "VALVE"}};
    EXPECT_EQ(found, expected);
}

TEST_F(DeviceRegisters, ASingleReadAnswersTheStoredValueInTheTypesSize) {
    const std::uint8_t half[4] = {0x00, 0x00, 0x00, 0x3F};  // 0.5f
    const struct {
        std::uint8_t reg;
        std::vector<std::uint8_t> data;
    } cases[] = {
        {8, {100, 0}},
        {9, {0xFB}},
        {10, {half, half + 4}},
        {11, {'A', 'B', 'C', 0, 0, 0, 0, 0}},
        {12, {7, 0, 0, 0}},
        {13, {0xD4, 0xFE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.reg));
        const auto answers = Send(FromWorkbench(kPump, c.reg, 0x80), 0);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(FrameSource(answers[0]), kPump);
        EXPECT_EQ(FrameDest(answers[0]), kPcNode);
        EXPECT_EQ(FrameReg(answers[0]), c.reg);
        EXPECT_EQ(FrameFlags(answers[0]), 0);
        EXPECT_EQ(DataOf(answers[0]), c.data);
    }
    EXPECT_TRUE(Send(FromWorkbench(kPump, 99, 0x80), 0).empty()) << "a register the menu does not list";
}

TEST_F(DeviceRegisters, ListeningSendsAValueEveryPeriodUntilASingleReadEndsIt) {
    std::vector<CanFrame> values = Send(FromWorkbench(kPump, 8, 0xC0), 0);
    EXPECT_EQ(values.size(), 1u) << "the first value comes at once";
    std::vector<long long> times;
    for (long long t = 10; t <= 1000; t += 10) {
        for (const CanFrame& frame : bus.Advance(Ms(t))) {
            EXPECT_EQ(FrameReg(frame), 8);
            EXPECT_EQ(FrameDest(frame), kPcNode);
            times.push_back(t);
        }
    }
    EXPECT_EQ(times, (std::vector<long long>{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(bus.NextDue(), Ms(1100));

    EXPECT_EQ(Send(FromWorkbench(kPump, 8, 0x80), 1010).size(), 1u);
    EXPECT_TRUE(bus.Advance(Ms(5000)).empty());
    EXPECT_FALSE(bus.NextDue().has_value());
}

TEST_F(DeviceRegisters, AListenedMovingValueMovesWithTime) {
    const auto first = Send(FromWorkbench(kPump, 14, 0xC0), 0);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(DataOf(first[0]), (std::vector<std::uint8_t>{0, 0}));
    const auto later = bus.Advance(Ms(500));
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(DataOf(later[0]), (std::vector<std::uint8_t>{0xF4, 0x01})) << "a ramp 0..1000 over 1 s is at 500";
}

TEST_F(DeviceRegisters, WritesAreLimitedIgnoredOnReadOnlyAndAnsweredWithTheStoredValue) {
    const std::uint8_t nine[4] = {0x00, 0x00, 0x10, 0x41};        // 9.0f
    const std::uint8_t twoHalves[4] = {0x00, 0x00, 0x20, 0x40};   // 2.5f
    const struct {
        const char* what;
        std::uint8_t reg;
        std::vector<std::uint8_t> written;
        std::vector<std::uint8_t> stored;
    } cases[] = {
        {"within limits", 8, {0xF4, 0x01}, {0xF4, 0x01}},
        {"above max", 8, {0x88, 0x13}, {0xE8, 0x03}},
        {"below min", 8, {0x01, 0x00}, {0x0A, 0x00}},
        {"read-only at every level", 9, {0x07}, {0xFB}},
        {"float above max", 10, {nine, nine + 4}, {twoHalves, twoHalves + 4}},
        {"str8", 11, {'N', 'E', 'W', 'T', 'A', 'G', 'X', 'Y'}, {'N', 'E', 'W', 'T', 'A', 'G', 'X', 'Y'}},
        {"writable at service level only", 12, {0x2A, 0, 0, 0}, {0x2A, 0, 0, 0}},
        {"read-only group member", 13, {0x01, 0x00}, {0xD4, 0xFE}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CanFrame write = FromWorkbench(kPump, c.reg, 0x18);
        write.Dlc = static_cast<std::uint8_t>(c.written.size());
        std::memcpy(write.Data, c.written.data(), c.written.size());
        const auto answers = Send(write, 0);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(FrameDest(answers[0]), kPcNode);
        EXPECT_EQ(FrameFlags(answers[0]) & (fl::W | fl::Q), 0) << "the workbench takes it as the value";
        EXPECT_EQ(DataOf(answers[0]), c.stored);
        EXPECT_EQ(Read(kPump, c.reg, 0), c.stored);
    }
}

TEST_F(DeviceRegisters, ProgrammedValuesSurviveAPowerCycleAndPlainWritesDoNot) {
    Send(FromWorkbench(kPump, 8, 0x38, {0xBC, 0x02}), 0);        // program 700
    Send(FromWorkbench(kPump, 8, 0x18, {0x20, 0x03}), 0);        // write 800
    Send(FromWorkbench(kPump, 11, 0x38, {'K', 'E', 'E', 'P'}), 0);  // program a text
    Send(FromWorkbench(kPump, 10, 0x38, {0, 0, 0, 0x40}), 0);    // 2.0f, but register 10 has no NV
    EXPECT_EQ(Read(kPump, 8, 0), (std::vector<std::uint8_t>{0x20, 0x03}));
    Send(FromWorkbench(kPump, 8, 0xC0), 0);

    bus.PowerCycle(Ms(10));
    EXPECT_TRUE(bus.Advance(Ms(1000)).empty()) << "listening ends with the power";
    EXPECT_EQ(Read(kPump, 8, 1000), (std::vector<std::uint8_t>{0xBC, 0x02}));
    EXPECT_EQ(Read(kPump, 11, 1000), (std::vector<std::uint8_t>{'K', 'E', 'E', 'P', 0, 0, 0, 0}));
    EXPECT_EQ(Read(kPump, 10, 1000), (std::vector<std::uint8_t>{0, 0, 0, 0x3F})) << "back to 0.5";
}

TEST_F(DeviceRegisters, AnswersGoToWhoeverAsked) {
    const auto answers = bus.Deliver(BusFrame(kPump, kMaster, 8, 0x18, std::vector<std::uint8_t>{50, 0}.data(), 2),
                                     Ms(0));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(FrameDest(answers[0]), kMaster);
    EXPECT_EQ(FrameSource(answers[0]), kPump);
}

TEST_F(DeviceRegisters, ANewAddressAndANewNameTakeEffectAtOnceAndLast) {
    Send(FromWorkbench(kPump, 5, 0x28, {12}), 0);
    EXPECT_TRUE(Send(FromWorkbench(kPump, 0, 0x80), 0).empty());
    Send(FromWorkbench(12, 0, 0x28, {'B', 'O', 'O', 'S', 'T', 'E', 'R', ' '}), 0);
    bus.PowerCycle(Ms(10));
    const auto answers = Send(FromWorkbench(12, 0, 0x80), 10);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(FrameSource(answers[0]), 12);
    EXPECT_EQ(std::string(answers[0].Data, answers[0].Data + answers[0].Dlc), "BOOSTER");
    EXPECT_EQ(Read(12, 8, 10), (std::vector<std::uint8_t>{100, 0})) << "registers answer under the new address";

    Send(FromWorkbench(12, 5, 0x28, {63}), 10);
    EXPECT_EQ(Send(FromWorkbench(12, 0, 0x80), 10).size(), 1u) << "63 is the workbench's own address";
}

}  // namespace
}  // namespace tessaline::bench
