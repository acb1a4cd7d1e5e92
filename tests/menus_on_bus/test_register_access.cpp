#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/DataType.h"
#include "app/buslink/FrameId.h"
#include "app/menus/RegisterAccess.h"

namespace tessaline {
namespace {

using testing::FakeDriver;
using testing::RecordingUserPort;

class RegisterAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.SetConnectionType(2);
        ASSERT_TRUE(link.ConnectBus());
        item.deviceId = 9;
        item.regId = 0x21;
    }
    // The Fl byte (remote bit included) of every frame written so far.
    std::vector<int> SentFlags() const {
        std::vector<int> flags;
        for (const CanFrame& f : driver.WrittenFrames()) flags.push_back(FrameFlags(f));
        return flags;
    }

    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    FakeDriver driver{"libcorvane.so"};
    BusLink link{user, dispatch, FAKE_DRIVER_DIR};
    MenuItemType item;
};

TEST_F(RegisterAccessTest, ListeningIsCountedAndTheLastStopIsSent) {
    StartListening(link, item);
    StartListening(link, item);
    StopListening(link, &item);
    EXPECT_EQ(SentFlags(), (std::vector<int>{0xC0, 0xC0})) << "two starts and no stop yet";
    StopListening(link, &item);
    EXPECT_EQ(SentFlags(), (std::vector<int>{0xC0, 0xC0, 0x80}));
    StopListening(link, &item);
    EXPECT_EQ(item.requestCount.load(), 0);
    EXPECT_EQ(driver.writtenCount(), 3u) << "nothing to stop at count 0";
    const auto frames = driver.WrittenFrames();
    EXPECT_EQ(std::uint32_t{frames[0].Id}, MakeFrameId(3, 9, 63, 0x21, 0xC0));
}

TEST_F(RegisterAccessTest, NoDeviceGroupHeaderAndNoItem) {
    item.deviceId = 255;
    StartListening(link, item);
    EXPECT_EQ(item.requestCount.load(), 1) << "counted";
    EXPECT_EQ(driver.writtenCount(), 0u) << "but not sent";

    MenuItemType header;
    header.menuGroup = 0x10;
    header.regId = kGroupHeaderReg;
    StartListening(link, header);
    StopListening(link, &header);
    StopListening(link, nullptr);
    WriteItem(link, &header, false);
    WriteItem(link, nullptr, false);
    EXPECT_EQ(header.requestCount.load(), 0);
    EXPECT_EQ(driver.writtenCount(), 0u);
}

TEST_F(RegisterAccessTest, WriteSendsTheEncodedValueWithItsFlags) {
    struct Case {
        DataType type;
        TaggedValue value;
        bool program;
        std::vector<std::uint8_t> bytes;
    };
    const Case cases[] = {
        {DataType::U16, 1234.6, false, {0xD3, 0x04}},
        {DataType::S8, std::int64_t{-1}, true, {0xFF}},
        {DataType::Str8, std::string("ABCDEFGHIJ"), false, {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
    };
    for (const auto& c : cases) {
        const std::size_t before = driver.writtenCount();
        item.type = c.type;
        item.SetValue(c.value);
        WriteItem(link, &item, c.program);
        const auto frames = driver.WrittenFrames();
        ASSERT_EQ(frames.size(), before + 1);
        const CanFrame& f = frames.back();
        EXPECT_EQ(std::uint32_t{f.Id}, c.program ? 0x192E3F21u : 0x19263F21u);
        EXPECT_EQ(f.FrameFormat, 0x80);
        EXPECT_EQ(std::vector<std::uint8_t>(f.Data, f.Data + f.Dlc), c.bytes);
    }
}

TEST_F(RegisterAccessTest, WriteWhileDisconnectedSendsAndReportsNothing) {
    link.DisconnectBus();
    item.type = DataType::U8;
    item.SetValue(std::int64_t{5});
    WriteItem(link, &item, false);
    EXPECT_EQ(driver.writtenCount(), 0u);
    EXPECT_TRUE(user.Errors().empty());
}

}  // namespace
}  // namespace tessaline
