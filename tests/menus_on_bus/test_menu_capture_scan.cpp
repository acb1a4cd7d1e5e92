#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>

#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/Workbench.h"
#include "app/buslink/FrameId.h"

namespace tessaline {
namespace {

using ::testing::ElementsAre;
using testing::FakeDriver;
using testing::RecordingUserPort;

// Devices that answer the scan probe with their name, as the fake driver's write
// hook sees each probe go out.
struct NameAnswers {
    std::mutex lock;
    std::vector<std::pair<std::uint8_t, std::string>> devices;  // in answer order
    int repeats = 1;
    FakeDriver* driver = nullptr;

    static void OnWrite(const CanFrame* frame, void* context) {
        auto* self = static_cast<NameAnswers*>(context);
        if (FrameReg(*frame) != 0 || !FrameIsRequest(*frame) || FrameDest(*frame) != 62) return;
        std::vector<CanFrame> answers;
        std::lock_guard lock(self->lock);
        for (int r = 0; r < self->repeats; ++r) {
            for (const auto& [id, name] : self->devices) {
                CanFrame f{};
                f.Id = MakeFrameId(3, 63, id, 0, 0);
                f.FrameFormat = UCAN_FORMAT_EXTENDED;
                f.Dlc = static_cast<std::uint8_t>(name.size());
                std::copy(name.begin(), name.end(), f.Data);
                answers.push_back(f);
            }
        }
        // Frames that are not name answers: a request, one with Q set, one to node 5.
        CanFrame request{};
        request.Id = MakeFrameId(3, 63, 40, 0, 0x80);
        request.FrameFormat = UCAN_FORMAT_EXTENDED | UCAN_FORMAT_REMOTE;
        request.Dlc = 0;
        CanFrame write = request;
        write.Id = MakeFrameId(3, 63, 41, 0, fl::Q | fl::W);
        write.FrameFormat = UCAN_FORMAT_EXTENDED;
        write.Dlc = 2;
        CanFrame elsewhere = write;
        elsewhere.Id = MakeFrameId(3, 5, 42, 0, 0);
        answers.insert(answers.end(), {request, write, elsewhere});
        self->driver->Deliver(answers);
    }
};

class ScanTest : public ::testing::Test {
protected:
    void SetUp() override {
        answers.driver = &driver;
        driver.setWriteHook(&NameAnswers::OnWrite, &answers);
        bench.link.SetConnectionType(2);
        ASSERT_TRUE(bench.link.ConnectBus());
    }
    void TearDown() override { driver.setWriteHook(nullptr, nullptr); }

    // Runs the scan with the timer driven by hand; answers arrive before the first tick.
    MenuCapture::ScanOutcome Scan(MenuCapture& capture, int& ticks) {
        EXPECT_TRUE(capture.StartScan());
        EXPECT_TRUE(driver.WaitIdle());
        ticks = 0;
        while (capture.Scanning() && ticks < 100) {
            capture.Tick();
            ++ticks;
        }
        return capture.FinishScan();
    }

    FakeDriver driver{"libcorvane.so"};
    NameAnswers answers;
    RecordingUserPort user;
    Workbench bench{user, FAKE_DRIVER_DIR};
};

TEST_F(ScanTest, ProbesEveryAddressAndListsDevicesInIdOrder) {
    answers.devices = {{12, "PUMP"}, {3, "ABC"}, {7, "VALVE123"}};
    answers.repeats = 2;
    MenuCapture capture(bench.CaptureShared());
    int ticks = 0;
    EXPECT_EQ(Scan(capture, ticks), MenuCapture::ScanOutcome::Choose);
    EXPECT_EQ(ticks, MenuCapture::kCountdownTicks) << "ends ten ticks after the last new device";
    EXPECT_THAT(capture.DeviceLines(), ElementsAre("ID=3   ABC     ", "ID=7   VALVE123", "ID=12   PUMP    "));
    EXPECT_EQ(capture.Status(), "Select Device(s)");
    EXPECT_EQ(capture.CurrentNode(), kNoNode);
    EXPECT_EQ(bench.dispatch.ReceiveMode(), kModeIdle);

    const auto written = driver.WrittenFrames();
    ASSERT_EQ(written.size(), 63u);
    for (std::uint8_t node = 0; node <= 62; ++node) {
        EXPECT_EQ(std::uint32_t{written[node].Id}, MakeFrameId(3, node, 63, 0, 0x80));
        EXPECT_EQ(written[node].FrameFormat, 0xC0);
        EXPECT_EQ(written[node].Dlc, 0);
    }
}

TEST_F(ScanTest, NoAnswerShowsTheErrorDialog) {
    MenuCapture capture(bench.CaptureShared());
    int ticks = 0;
    EXPECT_EQ(Scan(capture, ticks), MenuCapture::ScanOutcome::NoDevices);
    EXPECT_THAT(user.Errors(), ElementsAre("No devices online. Check connection and power! Try again"));
}

TEST_F(ScanTest, OneDeviceIsLoadedWithoutChoosing) {
    answers.devices = {{9, "X"}};
    MenuCapture capture(bench.CaptureShared());
    int ticks = 0;
    EXPECT_EQ(Scan(capture, ticks), MenuCapture::ScanOutcome::OneDevice);
    EXPECT_EQ(DeviceName(bench.devices, 9), "X       ");
}

TEST_F(ScanTest, AFailedProbeAbandonsTheScanAndKeepsTheTable) {
    bench.devices = {{4, "OLD     ", 0}};
    driver.setResult("UcanWriteCanMsg", 11);
    MenuCapture capture(bench.CaptureShared());
    EXPECT_FALSE(capture.StartScan());
    EXPECT_FALSE(capture.Scanning());
    EXPECT_EQ(driver.writtenCount(), 1u) << "probing stops at the first send error";
    ASSERT_EQ(bench.devices.size(), 1u);
    EXPECT_EQ(bench.devices[0].name, "OLD     ");
}

TEST(DeviceName, AdapterTableAndPadding) {
    const DeviceTable table = {{3, "ABC     ", 0}};
    EXPECT_EQ(DeviceName(table, 253), "USBCAN");
    EXPECT_EQ(DeviceName(table, 3), "ABC     ");
    EXPECT_EQ(DeviceName(table, 4), "");
    const std::uint8_t withZero[] = {'A', 'B', 0, 'C'};
    EXPECT_EQ(PaddedDeviceName(withZero, 4), "AB      ") << "a zero byte ends a device text";
    const std::uint8_t latin1[] = {'T', 0xB0};
    EXPECT_EQ(PaddedDeviceName(latin1, 2), "T\xC2\xB0      ") << "device bytes are single characters";
}

}  // namespace
}  // namespace tessaline
