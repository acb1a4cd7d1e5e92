// Stopping and restarting the receive thread, and a port that disappears.
#include <future>

#include "adapter_codec.h"
#include "corvane_fixture.h"
#include "thread_probe.h"

namespace tessaline::testing {
namespace {

const Bytes kCloseSequence(std::begin(ucan::kCloseSequence), std::end(ucan::kCloseSequence));

TEST_F(CorvaneTest, DeinitCanWaitsForTheReceiveThreadBeforeTheCloseSequence) {
    Connect();
    EventLog::Instance().HoldNext();
    adapter.Send(NumberedPacket(1));
    ASSERT_TRUE(EventLog::Instance().WaitUntilHeld()) << "the receive thread is inside the event callback";

    std::promise<pid_t> stopperTid;
    auto stopped = std::async(std::launch::async, [&] {
        stopperTid.set_value(gettid());
        return driver.deinitCan(0);
    });
    ASSERT_TRUE(WaitUntilBlocked(stopperTid.get_future().get(), IsFutexWait))
        << "UcanDeinitCan waits for the receive thread";
    EXPECT_TRUE(adapter.Silent(std::chrono::milliseconds(100))) << "nothing is sent while the thread still runs";

    EventLog::Instance().Release();
    EXPECT_EQ(stopped.get(), UCAN_OK);
    EXPECT_EQ(adapter.Receive(kCloseSequence.size()), kCloseSequence);
}

TEST_F(CorvaneTest, FramesQueuedBeforeDeinitCanStayReadableUntilTheNextInitCan) {
    Connect();
    adapter.Send(NumberedPacket(10));
    adapter.Send(NumberedPacket(11));
    adapter.Send(NumberedPacket(12));
    ASSERT_TRUE(EventLog::Instance().WaitForCount(3));
    ASSERT_EQ(driver.deinitCan(0), UCAN_OK);
    EXPECT_EQ(adapter.Receive(kCloseSequence.size()), kCloseSequence);

    CanFrame frame{};
    ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK);
    EXPECT_EQ(NumberOf(frame), 10u);

    ASSERT_EQ(driver.initCan(0, 0x00, 0x14, 0xFFFFFFFF, 0), UCAN_OK) << "again, without closing the hardware";
    EXPECT_EQ(adapter.Receive(1), Bytes{ucan::kEnd}) << "the single opening END again";
    EXPECT_EQ(driver.readCanMsg(0, &frame), UCAN_WARN_NO_DATA) << "InitCan empties the queue";

    adapter.Send(NumberedPacket(13));
    ASSERT_TRUE(EventLog::Instance().WaitForCount(4)) << "the new receive thread delivers";
    ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK);
    EXPECT_EQ(NumberOf(frame), 13u);
}

TEST_F(CorvaneTest, AHungUpPortParksTheReceiveThreadUntilDeinitCan) {
    Connect();
    adapter.Send(NumberedPacket(1));
    ASSERT_TRUE(EventLog::Instance().WaitForCount(1));
    const pid_t receiveThread = EventLog::Instance().Events().front().tid;
    ASSERT_TRUE(WaitUntilBlocked(receiveThread, [](const BlockedCall& c) { return IsPollOn(c, 2); }))
        << "while the port is there the thread waits on the port and its stop signal";

    adapter.HangUp();
    // A thread that kept polling the dead port would never be found asleep on one
    // descriptor: a hung-up tty makes every poll on it return at once.
    EXPECT_TRUE(WaitUntilBlocked(receiveThread, [](const BlockedCall& c) { return IsPollOn(c, 1); }))
        << "after the hang-up the thread waits for its stop signal only";

    EXPECT_EQ(driver.deinitCan(0), UCAN_OK);
    EXPECT_EQ(driver.deinitHardware(0), UCAN_OK);
    CanFrame frame{};
    ASSERT_EQ(driver.readCanMsg(0, &frame), UCAN_OK) << "the frame from before the hang-up is still there";
    EXPECT_EQ(NumberOf(frame), 1u);
}

}  // namespace
}  // namespace tessaline::testing
