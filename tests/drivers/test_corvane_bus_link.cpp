// The workbench's bus link through the real libcorvane.so to a pseudo-terminal:
// connection type 2 binds the driver from the program's folder, and frames cross
// in both directions.
#include <gtest/gtest.h>

#include "RecordingUserPort.h"
#include "adapter_codec.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/DriverErrorText.h"
#include "app/buslink/DriverLibrary.h"
#include "frame_literal.h"
#include "pty_adapter.h"
#include "temp_work_dir.h"

namespace tessaline {
namespace {

using testing::Bytes;
using testing::PtyAdapter;
using testing::RecordingUserPort;
using testing::TempWorkDir;

constexpr std::uint8_t kCorvane = 2;

class CorvaneBusLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.WriteFile("CORVANE.INI", "[init]\r\nport=\\\\.\\" + adapter.PortPath() + "\r\n");
        link.SetConnectionType(kCorvane);
    }

    TempWorkDir dir;
    PtyAdapter adapter;
    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    BusLink link{user, dispatch, ProgramDirectory()};
};

TEST_F(CorvaneBusLinkTest, FramesCrossBothWaysAndDisconnectClosesTheAdapter) {
    ASSERT_TRUE(link.ConnectBus()) << (user.Errors().empty() ? "" : user.Errors().front());
    EXPECT_EQ(adapter.Receive(1), Bytes{ucan::kEnd});

    // Listen to register 7 of node 5, then write 0x11C0 into register 0x21 of node 9.
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0xC0), UCAN_OK);
    const std::uint8_t value[8] = {0xC0, 0x11};
    EXPECT_EQ(link.SendFrame(3, 9, 63, 0x21, 0x18, 2, value), UCAN_OK);
    const Bytes sent = {0xC0, 0x00, 0x98, 0xC5, 0x0F, 0xC0,  //
                        0xC0, 0x02, 0x3C, 0xC9, 0x42, 0xDB, 0xDC, 0x11, 0xC0};
    EXPECT_EQ(adapter.Receive(sent.size()), sent);

    // Node 9 reports error mask 0x0004, then answers with the value of register 0x21.
    // Both pass the one receive thread in order, so once the value is queued the
    // report has been sorted too.
    dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, 0x21);
    adapter.Send({0xC0, 0x02, 0x00, 0x12, 0x04, 0x04, 0x00, 0xC0,          // register 2: error report
                  0xC0, 0x02, 0x00, 0x12, 0x42, 0xDB, 0xDC, 0x11, 0xC0});  // register 0x21, data C0 11
    ASSERT_TRUE(dispatch.canAllMsg.Wait(std::chrono::seconds(5))) << "the value reaches the receive queue";
    std::size_t echoed = 0;
    for (const auto& e : user.Echoes()) echoed += e.direction == FrameDirection::Received;
    EXPECT_EQ(echoed, 2u);

    std::vector<CanFrame> values;
    dispatch.rxQueue.TakeAll([&](const CanFrame& f) { values.push_back(f); });
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(std::uint32_t{values[0].Id}, 0x1FE00921u) << "from node 9 to node 63, register 0x21";
    EXPECT_EQ(values[0].Dlc, 2);
    EXPECT_EQ(values[0].Data[0], 0xC0);
    EXPECT_EQ(values[0].Data[1], 0x11);
    std::vector<CanFrame> reports;
    dispatch.errorQueue.TakeAll([&](const CanFrame& f) { reports.push_back(f); });
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(std::uint32_t{reports[0].Id}, 0x1FE00902u);
    EXPECT_EQ(dispatch.RxCount(), 2u);

    link.DisconnectBus();
    EXPECT_FALSE(link.BusConnected());
    const Bytes closing(std::begin(ucan::kCloseSequence), std::end(ucan::kCloseSequence));
    EXPECT_EQ(adapter.Receive(closing.size()), closing);
    EXPECT_TRUE(user.Errors().empty());
}

TEST_F(CorvaneBusLinkTest, AMissingPortIsReportedAndLeavesTheLinkDisconnected) {
    dir.WriteFile("CORVANE.INI", "port=/nonexistent/ttyCorvane\n");
    EXPECT_FALSE(link.ConnectBus());
    EXPECT_FALSE(link.BusConnected());
    EXPECT_EQ(user.Errors(), std::vector<std::string>{DriverErrorText(UCAN_ERR_HARDWARE)});

    dir.WriteFile("CORVANE.INI", "port=" + adapter.PortPath() + "\n");
    EXPECT_TRUE(link.ConnectBus()) << "the driver was left idle and opens again";
    EXPECT_EQ(adapter.Receive(1), Bytes{ucan::kEnd});
}

}  // namespace
}  // namespace tessaline
