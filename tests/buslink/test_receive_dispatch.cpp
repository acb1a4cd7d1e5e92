#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/FrameId.h"

namespace tessaline {
namespace {

using namespace std::chrono_literals;
using testing::DeviceFrame;
using testing::FakeDriver;
using testing::RecordingUserPort;

std::unique_ptr<MenuItemType> Item(std::uint8_t device, std::uint8_t reg) {
    auto item = std::make_unique<MenuItemType>();
    item->deviceId = device;
    item->regId = reg;
    return item;
}

std::vector<CanFrame> Taken(FrameQueue& queue) {
    std::vector<CanFrame> frames;
    queue.TakeAll([&](const CanFrame& f) { frames.push_back(f); });
    return frames;
}

// Frames travel the real path: the scripted driver's receive thread raises event 2,
// the link's callback runs the drain on that thread.
class ReceiveDispatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.SetConnectionType(2);
        ASSERT_TRUE(link.ConnectBus());
    }
    void Receive(const std::vector<CanFrame>& frames) {
        driver.Deliver(frames);
        ASSERT_TRUE(driver.WaitIdle());
    }

    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    FakeDriver driver{"libcorvane.so"};
    BusLink link{user, dispatch, FAKE_DRIVER_DIR};
};

TEST_F(ReceiveDispatchTest, ModeZeroQueuesEveryFrameOfTheTargetRegister) {
    dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, 7);
    Receive({DeviceFrame(MakeFrameId(3, 20, 21, 7, 0), 2),                       // between two other nodes
             DeviceFrame(MakeFrameId(3, 5, 63, 7, 0xC0), 0, UCAN_FORMAT_REMOTE),  // remote
             DeviceFrame(MakeFrameId(3, 63, 5, 8, 0), 2),                         // other register
             DeviceFrame(MakeFrameId(3, 63, 5, 0x87, 0), 1)});                    // register byte 0x87 reads as 7
    const auto frames = Taken(dispatch.rxQueue);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(FrameSource(frames[0]), 21);
    EXPECT_TRUE(FrameIsRequest(frames[1]));
    EXPECT_TRUE(dispatch.canAllMsg.TryTake());
    EXPECT_FALSE(dispatch.canAllMsg.TryTake()) << "one event per drain";
    EXPECT_FALSE(dispatch.canMsg.TryTake());
}

TEST_F(ReceiveDispatchTest, ErrorReportsGoToTheErrorQueueInEveryMode) {
    auto item = Item(4, 2);
    const std::uint8_t modes[] = {kModeOneRegister, kModeBrowsing, kModeIdle, kModeOneItem, 9};
    for (std::uint8_t mode : modes) {
        dispatch.SetReceiveMode(mode, item.get(), nullptr, 2);
        Receive({DeviceFrame(MakeFrameId(3, 63, 4, 2, 0), 2)});
        EXPECT_EQ(Taken(dispatch.errorQueue).size(), 1u) << int(mode);
        EXPECT_EQ(dispatch.rxQueue.Size(), 0u) << int(mode);
        EXPECT_FALSE(dispatch.canAllMsg.TryTake()) << int(mode);
        EXPECT_FALSE(dispatch.canMsg.TryTake()) << int(mode);
    }
}

TEST_F(ReceiveDispatchTest, BrowsingQueuesWatchListTrafficAndSetsOneEvent) {
    auto first = Item(12, 0x21);
    auto second = Item(14, 0x05);
    WatchList watch;
    watch.Add(first.get());
    watch.Add(second.get());
    dispatch.SetReceiveMode(kModeBrowsing, nullptr, &watch);
    Receive({DeviceFrame(MakeFrameId(3, 63, 12, 0x21, 0), 2),   // answer of the first item
             DeviceFrame(MakeFrameId(3, 12, 30, 0x21, 0x18), 2), // another master writes to it
             DeviceFrame(MakeFrameId(3, 63, 12, 0x21, 0), 0),   // no data: never queued
             DeviceFrame(MakeFrameId(3, 63, 12, 0x22, 0), 2),   // other register
             DeviceFrame(MakeFrameId(3, 63, 14, 0x05, 0), 4),   // second item
             DeviceFrame(MakeFrameId(3, 63, 15, 0x05, 0), 4)}); // other device
    const auto frames = Taken(dispatch.rxQueue);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(FrameSource(frames[1]), 30);
    EXPECT_EQ(FrameSource(frames[2]), 14);
    EXPECT_TRUE(dispatch.canMsg.TryTake());
    EXPECT_FALSE(dispatch.canMsg.TryTake()) << "set once after the drain, not per frame";
    EXPECT_FALSE(dispatch.canAllMsg.TryTake());
}

TEST_F(ReceiveDispatchTest, OneItemModeIgnoresTheWatchList) {
    auto current = Item(12, 0x21);
    auto watched = Item(14, 0x05);
    WatchList watch;
    watch.Add(watched.get());
    dispatch.SetReceiveMode(kModeBrowsing, nullptr, &watch);
    dispatch.SetReceiveMode(kModeOneItem, current.get());
    EXPECT_EQ(dispatch.FilterList(), nullptr);
    Receive({DeviceFrame(MakeFrameId(3, 63, 14, 0x05, 0), 4), DeviceFrame(MakeFrameId(3, 63, 12, 0x21, 0), 1)});
    const auto frames = Taken(dispatch.rxQueue);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(FrameSource(frames[0]), 12);
    EXPECT_TRUE(dispatch.canMsg.TryTake());
}

TEST_F(ReceiveDispatchTest, IdleModeQueuesNothingButCountsAndEchoes) {
    dispatch.SetReceiveMode(kModeIdle);
    Receive({DeviceFrame(MakeFrameId(3, 63, 12, 0, 0), 2), DeviceFrame(MakeFrameId(3, 63, 12, 1, 0), 2),
             DeviceFrame(MakeFrameId(3, 63, 12, 2, 0x80), 0, UCAN_FORMAT_REMOTE)});
    EXPECT_EQ(dispatch.rxQueue.Size(), 0u);
    EXPECT_EQ(dispatch.errorQueue.Size(), 0u);
    EXPECT_FALSE(dispatch.canMsg.TryTake());
    EXPECT_FALSE(dispatch.canAllMsg.TryTake());
    EXPECT_EQ(dispatch.TakeRxCount(), 3u);
    EXPECT_EQ(dispatch.TakeRxCount(), 0u) << "read and zeroed in one step";
    const auto echoes = user.Echoes();
    ASSERT_EQ(echoes.size(), 3u);
    EXPECT_EQ(echoes[2].direction, FrameDirection::Received);
}

TEST_F(ReceiveDispatchTest, DetachedRecordsAreNoLongerFollowed) {
    auto item = Item(12, 0x21);
    WatchList watch;
    watch.Add(item.get());
    dispatch.SetReceiveMode(kModeBrowsing, item.get(), &watch);
    dispatch.DetachFilter();
    item.reset();  // released as a menu reload would; the drain must not reach it
    EXPECT_EQ(dispatch.FilterItem(), nullptr);
    EXPECT_EQ(dispatch.FilterList(), nullptr);
    Receive({DeviceFrame(MakeFrameId(3, 63, 12, 0x21, 0), 2)});
    EXPECT_EQ(dispatch.rxQueue.Size(), 0u);
    EXPECT_EQ(dispatch.ReceiveMode(), kModeBrowsing);
}

TEST_F(ReceiveDispatchTest, EmptyDrainSetsNoEvent) {
    dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, 0);
    driver.raiseEvent(UCAN_EVENT_RECEIVE);
    ASSERT_TRUE(driver.WaitIdle());
    EXPECT_FALSE(dispatch.canAllMsg.TryTake());
    EXPECT_EQ(dispatch.RxCount(), 0u);
}

TEST_F(ReceiveDispatchTest, ConsumerWakesOnTheEventFromTheDriverThread) {
    dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, 1);
    driver.Deliver({DeviceFrame(MakeFrameId(3, 63, 9, 1, 0), 8)});
    EXPECT_TRUE(dispatch.canAllMsg.Wait(5s));
    EXPECT_EQ(Taken(dispatch.rxQueue).size(), 1u);
}

TEST(FrameQueue, AFullQueueDropsNewFramesAndCountsThem) {
    FrameQueue queue;
    CanFrame frame{};
    for (std::size_t i = 0; i < FrameQueue::kCapacity + 2; ++i) {
        frame.Time = static_cast<std::uint32_t>(i);
        queue.Push(frame);
    }
    EXPECT_EQ(queue.Size(), FrameQueue::kCapacity);
    EXPECT_EQ(queue.Dropped(), 2u);
    std::uint32_t last = 0;
    queue.TakeAll([&](const CanFrame& f) { last = f.Time; });
    EXPECT_EQ(last, FrameQueue::kCapacity - 1) << "the oldest frames are kept, the newest dropped";
    queue.Push(frame);
    EXPECT_EQ(queue.Size(), 1u) << "room again once the consumer has taken them";
}

TEST(ReceiveSelector, ModesKeepTheParametersTheyDoNotUse) {
    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    auto item = Item(1, 2);
    WatchList watch;
    EXPECT_EQ(dispatch.ReceiveMode(), kModeIdle) << "idle from the start";
    dispatch.SetReceiveMode(kModeBrowsing, item.get(), &watch, 0);
    dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, 7);
    EXPECT_EQ(dispatch.FilterItem(), item.get());
    EXPECT_EQ(dispatch.FilterList(), &watch);
    EXPECT_EQ(dispatch.TargetReg(), 7);
    dispatch.SetReceiveMode(kModeIdle, nullptr, nullptr, 99);
    EXPECT_EQ(dispatch.TargetReg(), 7);
    EXPECT_EQ(dispatch.FilterItem(), item.get());
    dispatch.SetReceiveMode(kModeBrowsing, item.get(), &watch);
    EXPECT_EQ(dispatch.ReceiveMode(), kModeBrowsing);
}

}  // namespace
}  // namespace tessaline
