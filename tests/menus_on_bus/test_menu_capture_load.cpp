#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "BlockBuilder.h"
#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/Workbench.h"
#include "app/buslink/FrameId.h"
#include "app/menus/ValueText.h"

namespace tessaline {
namespace {

using ::testing::ElementsAre;
using testing::BlockBuilder;
using testing::FakeDriver;
using testing::MenuRecord;
using testing::RecordingUserPort;

CanFrame FromDevice(std::uint8_t node, std::uint8_t reg, const std::uint8_t* data, std::size_t count) {
    CanFrame f{};
    f.Id = MakeFrameId(3, kPcNode, node, reg, 0);
    f.FrameFormat = UCAN_FORMAT_EXTENDED;
    f.Dlc = static_cast<std::uint8_t>(count);
    std::copy(data, data + count, f.Data);
    return f;
}

// Devices behind the fake driver: blocks on registers 1 and 4 served in acknowledged
// chunks, and register values answered to single reads.
struct Devices {
    struct Device {
        std::map<std::uint8_t, TransferBuffer> blocks;  // by register
        std::map<std::uint8_t, std::vector<std::uint8_t>> values;
        std::map<std::uint8_t, std::size_t> sent;  // block bytes sent so far, by register
    };
    std::mutex lock;
    std::map<std::uint8_t, Device> byNode;
    FakeDriver* driver = nullptr;

    static void OnWrite(const CanFrame* frame, void* context) {
        auto* self = static_cast<Devices*>(context);
        std::vector<CanFrame> answers;
        {
            std::lock_guard lock(self->lock);
            const auto device = self->byNode.find(FrameDest(*frame));
            if (device == self->byNode.end() || !FrameIsRequest(*frame)) return;
            self->Answer(device->first, device->second, *frame, answers);
        }
        self->driver->Deliver(answers);
    }

    void Answer(std::uint8_t node, Device& d, const CanFrame& f, std::vector<CanFrame>& answers) {
        const std::uint8_t reg = FrameReg(f);
        if (const auto block = d.blocks.find(reg); block != d.blocks.end()) {
            std::size_t& sent = d.sent[reg];
            if ((FrameFlags(f) & fl::R) != 0) sent = 0;  // a new request starts the block again
            const std::size_t count = std::min<std::size_t>(8, block->second.size() - sent);
            answers.push_back(FromDevice(node, reg, block->second.data() + sent, count));
            sent += count;
        } else if (const auto value = d.values.find(reg); value != d.values.end() && FrameFlags(f) == fl::Rtr) {
            answers.push_back(FromDevice(node, reg, value->second.data(), value->second.size()));
        }
    }
};

class LoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        devices.driver = &driver;
        driver.setWriteHook(&Devices::OnWrite, &devices);
        bench.link.SetConnectionType(2);
        ASSERT_TRUE(bench.link.ConnectBus());
        bench.devices = {{3, "PUMP    ", 0}, {7, "VALVE   ", 0}};
    }
    void TearDown() override { driver.setWriteHook(nullptr, nullptr); }

    void ReadAll(MenuCapture& capture) {
        ASSERT_TRUE(capture.StartReadAll());
        for (int tick = 0; capture.Reading() && tick < 1000; ++tick) {
            capture.Tick();
            ASSERT_TRUE(driver.WaitIdle());  // the answer to this tick's read is queued
        }
        EXPECT_FALSE(capture.Reading());
    }

    FakeDriver driver{"libcorvane.so"};
    Devices devices;
    RecordingUserPort user;
    Workbench bench{user, FAKE_DRIVER_DIR};
};

TEST_F(LoadTest, LoadsMenusAndErrorListsThenReadsEveryRegisterOnce) {
    {
        std::lock_guard lock(devices.lock);
        auto& pump = devices.byNode[3];
        pump.blocks[1] = BlockBuilder()
                             .Menu({.reg = 5, .typeCode = 2, .minBytes = {0, 0}, .maxBytes = {0xE8, 0x03},
                                    .shortName = "Spd", .printFormat = "%d rpm", .name = "Speed"})
                             .Menu({.reg = 0, .menuByte = 0x10, .shortName = "G", .name = "Settings"})
                             .Menu({.reg = 6, .menuByte = 0x11, .typeCode = 1, .shortName = "Off",
                                    .printFormat = "%d", .name = "Offset"})
                             .Sealed();
        pump.blocks[4] = BlockBuilder().Error(0x0001, "OV", "Overvoltage").Error(0x0006, "TMP", "Too hot").Sealed();
        pump.values[5] = {0xE8, 0x03};
        pump.values[6] = {0xFF};
        auto& valve = devices.byNode[7];
        valve.blocks[1] = BlockBuilder()
                              .Menu({.reg = 9, .typeCode = 0, .shortName = "Pos", .printFormat = "%u %",
                                     .name = "Position"})
                              .Sealed();
        valve.values[9] = {42};
        // No error list: the valve never answers on register 4.
    }
    MenuCapture capture(bench.CaptureShared());
    capture.Load({3, 7});
    EXPECT_EQ(capture.CurrentNode(), kNoNode);
    ASSERT_EQ(bench.items.size(), 4u);
    EXPECT_EQ(bench.items[0]->deviceName, "PUMP    ");
    EXPECT_TRUE(bench.items[1]->IsGroupHeader());
    EXPECT_EQ(bench.items[3]->deviceId, 7);
    ASSERT_EQ(bench.errors.size(), 2u);
    EXPECT_EQ(bench.errors[1].errorText, "Too hot");
    EXPECT_THAT(user.Events(), ElementsAre(testing::EventRow{2, 7, "No error list"}));

    // The pump's reports are switched on once its list is known; the valve's are not.
    const auto written = driver.WrittenFrames();
    const auto reportsOn = std::count_if(written.begin(), written.end(), [](const CanFrame& f) {
        return FrameReg(f) == 2 && FrameFlags(f) == (fl::Rtr | fl::R);
    });
    EXPECT_EQ(reportsOn, 1);

    bench.items[3]->requestCount = 1;  // listened to: its value arrives anyway
    ReadAll(capture);
    EXPECT_EQ(ValueText(*bench.items[0], bench.items[0]->Value()), "1000");
    EXPECT_EQ(ValueText(*bench.items[2], bench.items[2]->Value()), "-1");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(bench.items[3]->Value())) << "not read: it is listened to";
    EXPECT_EQ(capture.Status(), "Records received:3") << "the read index, which counts the skipped header too";
    EXPECT_EQ(capture.CurrentItem(), bench.items[2].get()) << "the last item asked; the caller restores its own";
    EXPECT_TRUE(user.Errors().empty());
}

TEST_F(LoadTest, MissingMenuListIsAnEventAndTheLoadGoesOn) {
    {
        std::lock_guard lock(devices.lock);
        devices.byNode[3].blocks[4] = BlockBuilder().Error(0x0001, "OV", "Overvoltage").Sealed();
    }
    MenuCapture capture(bench.CaptureShared());
    capture.Load({3});
    EXPECT_THAT(user.Events(), ElementsAre(testing::EventRow{2, 3, "No menu list"}));
    EXPECT_EQ(bench.errors.size(), 1u) << "the error list is loaded afterwards";
}

TEST_F(LoadTest, BadCheckWordShowsTheParserText) {
    {
        std::lock_guard lock(devices.lock);
        TransferBuffer block = BlockBuilder().Menu({}).Sealed();
        block[0] ^= 0xFF;
        devices.byNode[3].blocks[1] = block;
    }
    MenuCapture capture(bench.CaptureShared());
    capture.Load({3});
    EXPECT_THAT(user.Errors(), ElementsAre("CRC error"));
    EXPECT_TRUE(bench.items.empty());
}

TEST_F(LoadTest, SilentRegisterEndsTheReadingAfterTenTicks) {
    {
        std::lock_guard lock(devices.lock);
        devices.byNode[3].blocks[1] = BlockBuilder().Menu({.reg = 5}).Menu({.reg = 6}).Sealed();
        devices.byNode[3].values[5] = {1};
    }
    MenuCapture capture(bench.CaptureShared());
    capture.Load({3});
    ASSERT_TRUE(capture.StartReadAll());
    int ticks = 0;
    for (; capture.Reading() && ticks < 100; ++ticks) {
        capture.Tick();
        ASSERT_TRUE(driver.WaitIdle());
    }
    EXPECT_EQ(ticks, 11) << "one tick answered, then ten unanswered reads";
    EXPECT_THAT(user.Errors(), ElementsAre("Timeout on reading registers"));
    EXPECT_EQ(ValueText(*bench.items[0], bench.items[0]->Value()), "1");
}

TEST_F(LoadTest, ReadAllWithNoItemsDoesNothing) {
    MenuCapture capture(bench.CaptureShared());
    EXPECT_FALSE(capture.StartReadAll());
    EXPECT_EQ(driver.writtenCount(), 0u);
}

}  // namespace
}  // namespace tessaline
