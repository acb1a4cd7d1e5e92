#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <chrono>

#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/DriverErrorText.h"

namespace tessaline {
namespace {

using ::testing::ElementsAre;
using testing::FakeDriver;
using testing::RecordingUserPort;

constexpr std::uint8_t kData[8] = {1, 2, 3, 4, 5, 6, 7, 8};

class BusLinkTest : public ::testing::Test {
protected:
    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    FakeDriver corvane{"libcorvane.so"};
    FakeDriver halvend{"libhalvend.so"};
    BusLink link{user, dispatch, FAKE_DRIVER_DIR};
};

TEST_F(BusLinkTest, ConnectOpensTheAdapterInOrder) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    EXPECT_TRUE(link.BusConnected());
    EXPECT_THAT(corvane.Calls(), ElementsAre("UcanInitHwConnectControl", "UcanInitHardware", "UcanInitCan"));
    EXPECT_TRUE(user.Errors().empty());
}

TEST_F(BusLinkTest, DisconnectClosesInOrderAfterAPause) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    const std::size_t before = corvane.callCount();
    const auto requested = std::chrono::steady_clock::now();
    link.DisconnectBus();
    EXPECT_FALSE(link.BusConnected());
    const auto calls = corvane.Calls();
    ASSERT_EQ(calls.size(), before + 4);
    EXPECT_THAT(std::vector<std::string>(calls.begin() + static_cast<long>(before), calls.end()),
                ElementsAre("UcanResetCan", "UcanDeinitCan", "UcanDeinitHardware", "UcanDeinitHwConnectControl"));
    const auto resetAt = std::chrono::nanoseconds(corvane.callTimeNs(before));
    EXPECT_GE(resetAt - requested.time_since_epoch(), std::chrono::milliseconds(50));

    link.DisconnectBus();
    EXPECT_EQ(corvane.callCount(), before + 4) << "disconnect while disconnected calls nothing";
}

struct InitFailure {
    const char* failing;
    std::uint8_t code;
    std::vector<std::string> calls;
};

TEST_F(BusLinkTest, FailedInitReleasesWithoutDeinitCan) {
    const InitFailure cases[] = {
        {"UcanInitHardware", 3,
         {"UcanInitHwConnectControl", "UcanInitHardware", "UcanDeinitHardware", "UcanDeinitHwConnectControl"}},
        {"UcanInitCan", 5,
         {"UcanInitHwConnectControl", "UcanInitHardware", "UcanInitCan", "UcanDeinitHardware",
          "UcanDeinitHwConnectControl"}},
    };
    for (const auto& c : cases) {
        corvane.reset();
        corvane.setResult(c.failing, c.code);
        RecordingUserPort failUser;
        ReceiveDispatch failDispatch{failUser};
        BusLink failLink{failUser, failDispatch, FAKE_DRIVER_DIR};
        failLink.SetConnectionType(2);
        EXPECT_FALSE(failLink.ConnectBus()) << c.failing;
        EXPECT_FALSE(failLink.BusConnected());
        EXPECT_EQ(corvane.Calls(), c.calls) << c.failing;
        EXPECT_THAT(failUser.Errors(), ElementsAre(DriverErrorText(c.code))) << c.failing;
    }
}

TEST_F(BusLinkTest, UnloadableLibrariesGiveCodeFourteen) {
    struct Case {
        const char* what;
        std::string directory;
        int type;
    };
    const Case cases[] = {
        {"library lacks UcanSetAcceptance", FAKE_DRIVER_DIR, 0},
        {"unknown connection type", FAKE_DRIVER_DIR, 3},
        {"negative connection type", FAKE_DRIVER_DIR, -1},
        {"no library file", "/nonexistent-driver-folder", 2},
    };
    FakeDriver usbcan{"libusbcan32.so"};
    for (const auto& c : cases) {
        RecordingUserPort failUser;
        ReceiveDispatch failDispatch{failUser};
        BusLink failLink{failUser, failDispatch, c.directory};
        failLink.SetConnectionType(c.type);
        EXPECT_FALSE(failLink.ConnectBus()) << c.what;
        EXPECT_THAT(failUser.Errors(), ElementsAre(" Error on loading DLL")) << c.what;
    }
    EXPECT_TRUE(usbcan.Calls().empty()) << "no entry point of a refused library is called";
    EXPECT_TRUE(corvane.Calls().empty());
}

TEST_F(BusLinkTest, ReconnectAfterChangingTheTypeBindsTheOtherLibrary) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0x80), UCAN_OK);
    link.DisconnectBus();
    link.SetConnectionType(1);
    ASSERT_TRUE(link.ConnectBus());
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0x80), UCAN_OK);
    EXPECT_EQ(corvane.writtenCount(), 1u);
    EXPECT_EQ(halvend.writtenCount(), 1u);
    EXPECT_THAT(halvend.Calls(), ElementsAre("UcanInitHwConnectControl", "UcanInitHardware", "UcanInitCan",
                                             "UcanWriteCanMsg"));
}

TEST_F(BusLinkTest, SendFrameBuildsEchoesAndWritesTheRecord) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    ASSERT_EQ(link.SendFrame(3, 5, 63, 7, 0x68, 3, kData), UCAN_OK);
    ASSERT_EQ(link.SendFrame(3, 12, 63, 0, 0x80), UCAN_OK);
    const auto frames = corvane.WrittenFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::uint32_t{frames[0].Id}, 0x18BA3F07u);
    EXPECT_EQ(frames[0].FrameFormat, 0x80);
    EXPECT_EQ(frames[0].Dlc, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].Data, frames[0].Data + 8),
              std::vector<std::uint8_t>(kData, kData + 8))
        << "all eight bytes are copied whatever the count";
    EXPECT_EQ(std::uint32_t{frames[1].Id}, 0x19803F00u);
    EXPECT_EQ(frames[1].FrameFormat, 0xC0);
    EXPECT_EQ(frames[1].Dlc, 0);
    const auto echoes = user.Echoes();
    ASSERT_EQ(echoes.size(), 2u);
    EXPECT_EQ(echoes[0].direction, FrameDirection::Sent);
    EXPECT_EQ(std::uint32_t{echoes[1].frame.Id}, 0x19803F00u);
}

TEST_F(BusLinkTest, SendFrameRefusesFieldsThatWouldSpillAndReportsCodeSeven) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    struct Case {
        const char* what;
        std::uint8_t pri, ds, sr, dlc;
    };
    const Case cases[] = {
        {"priority 4", 4, 5, 63, 0}, {"destination 64", 3, 64, 63, 0}, {"source 64", 3, 5, 64, 0},
        {"destination 255", 3, 255, 63, 0}, {"nine data bytes", 3, 5, 63, 9},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(link.SendFrame(c.pri, c.ds, c.sr, 1, 0x18, c.dlc, kData), UCAN_ERR_PARAMETER) << c.what;
    }
    EXPECT_EQ(corvane.writtenCount(), 0u);
    EXPECT_TRUE(user.Echoes().empty());
    EXPECT_EQ(user.Errors(), std::vector<std::string>(std::size(cases), DriverErrorText(7)));
}

TEST_F(BusLinkTest, SendWhileDisconnectedSendsNothing) {
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0x80), UCAN_ERR_NOT_INITIALIZED);
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    link.DisconnectBus();
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0x80), UCAN_ERR_NOT_INITIALIZED);
    EXPECT_EQ(corvane.writtenCount(), 0u);
    EXPECT_TRUE(user.Echoes().empty());
}

TEST_F(BusLinkTest, SendFailureIsShownWithTheDriverText) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    corvane.setResult("UcanWriteCanMsg", 11);
    EXPECT_EQ(link.SendFrame(3, 5, 63, 7, 0x80), 11);
    EXPECT_THAT(user.Errors(), ElementsAre(" The message did not fit into the transmission queue "));
}

TEST_F(BusLinkTest, StatusWordShowsOneRowPerBitAndEndsWithTheHighest) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    const std::string tx = "Tx-buffer of the CAN controller is full";
    const std::string busOff = "Bus error: CAN controller has gone into Bus-Off state";

    corvane.setCanStatus(0x0011);
    link.ShowBusStatus();
    link.ShowBusStatus();
    using testing::EventRow;
    EXPECT_THAT(user.Events(), ElementsAre(EventRow{2, 253, tx}, EventRow{2, 253, busOff}, EventRow{2, 253, tx},
                                           EventRow{2, 253, busOff}));
    EXPECT_EQ(user.StatusTexts().back(), busOff);

    corvane.setCanStatus(0x0400);
    const auto statusCount = user.StatusTexts().size();
    link.ShowBusStatus();
    EXPECT_EQ(user.Events().size(), 4u) << "bits 10 to 15 are not shown";
    EXPECT_EQ(user.StatusTexts().size(), statusCount);

    corvane.setCanStatus(0);
    link.ShowBusStatus();
    EXPECT_EQ(user.StatusTexts().back(), "No CAN errors");
    EXPECT_EQ(user.Events().size(), 4u);
}

TEST_F(BusLinkTest, DriverEventsFromTheDriverThread) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    for (int e : {0, 1, 4, 5, 9, 3}) corvane.raiseEvent(static_cast<std::uint8_t>(e));
    ASSERT_TRUE(corvane.WaitIdle());
    EXPECT_THAT(user.StatusTexts(), ElementsAre("Hardware initialized", "Connected to CAN", "Disconnected from CAN",
                                                "Hardware deinitialized"));
    EXPECT_TRUE(dispatch.canStatus.TryTake()) << "event 3 sets CANstatus";
    EXPECT_NE(corvane.callbackThread(), static_cast<std::uint64_t>(pthread_self()));
}

TEST_F(BusLinkTest, AdapterLossShowsTheMessageBoxFirst) {
    link.SetConnectionType(2);
    ASSERT_TRUE(link.ConnectBus());
    corvane.raiseConnectEvent(7);
    corvane.raiseConnectEvent(6);
    corvane.raiseConnectEvent(8);
    ASSERT_TRUE(corvane.WaitIdle());
    EXPECT_THAT(user.Journal(),
                ElementsAre("error: USB-CAN module is disconnected. Please close application.",
                            "status: USB-CAN module disconnected", "event: USB-CAN module disconnected",
                            "status: USB-CAN module connected", "event: USB-CAN module connected",
                            "status: Fatal USB-CAN module disconnection",
                            "event: Fatal USB-CAN module disconnection"));
    EXPECT_TRUE(link.BusConnected()) << "the workbench stays connected and asks the user to close";
    EXPECT_EQ(user.Events().front().source, 253);
}

}  // namespace
}  // namespace tessaline
