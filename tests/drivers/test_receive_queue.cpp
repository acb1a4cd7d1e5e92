#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>

#include "receive_queue.h"

namespace ucan {
namespace {

// A frame whose every field carries n, so a torn or stale slot shows.
CanFrame Numbered(std::uint32_t n) {
    CanFrame frame{};
    frame.Id = n;
    frame.FrameFormat = 0x80;
    frame.Dlc = 8;
    for (std::uint8_t i = 0; i < 8; ++i) frame.Data[i] = static_cast<std::uint8_t>(n + i);
    frame.Time = ~n;
    return frame;
}

bool IsNumbered(const CanFrame& frame, std::uint32_t n) {
    const CanFrame expected = Numbered(n);
    return std::memcmp(&frame, &expected, sizeof frame) == 0;
}

class ReceiveQueueTest : public ::testing::Test {
protected:
    // 9 KB of slots: on the heap rather than the test's stack.
    std::unique_ptr<ReceiveQueue> queue = std::make_unique<ReceiveQueue>();
};

TEST_F(ReceiveQueueTest, EmptyQueueLeavesTheRecordUntouched) {
    CanFrame record = Numbered(77);
    EXPECT_FALSE(queue->Pop(record));
    EXPECT_TRUE(IsNumbered(record, 77));
}

TEST_F(ReceiveQueueTest, HoldsAtMost499AndDropsTheNewFrame) {
    for (std::uint32_t n = 0; n < ReceiveQueue::kSlots - 1; ++n) ASSERT_TRUE(queue->Push(Numbered(n))) << n;
    EXPECT_FALSE(queue->Push(Numbered(9999)));
    EXPECT_FALSE(queue->Push(Numbered(9998)));
    EXPECT_EQ(queue->Dropped(), 2u);

    CanFrame frame{};
    for (std::uint32_t n = 0; n < ReceiveQueue::kSlots - 1; ++n) {
        ASSERT_TRUE(queue->Pop(frame));
        ASSERT_TRUE(IsNumbered(frame, n)) << "oldest first, the dropped frames never appear: " << frame.Id;
    }
    EXPECT_FALSE(queue->Pop(frame));
    EXPECT_TRUE(queue->Push(Numbered(500))) << "room again once read";
}

TEST_F(ReceiveQueueTest, IndexesWrapPastTheLastSlot) {
    CanFrame frame{};
    for (std::uint32_t n = 0; n < 3 * ReceiveQueue::kSlots + 7; ++n) {
        ASSERT_TRUE(queue->Push(Numbered(n)));
        ASSERT_TRUE(queue->Pop(frame));
        ASSERT_TRUE(IsNumbered(frame, n)) << n;
    }
    EXPECT_FALSE(queue->Pop(frame));
    EXPECT_EQ(queue->Dropped(), 0u);
}

TEST_F(ReceiveQueueTest, ClearDiscardsUnreadFrames) {
    for (std::uint32_t n = 0; n < 10; ++n) queue->Push(Numbered(n));
    queue->Clear();
    CanFrame frame{};
    EXPECT_FALSE(queue->Pop(frame));
    queue->Push(Numbered(10));
    ASSERT_TRUE(queue->Pop(frame));
    EXPECT_TRUE(IsNumbered(frame, 10));
}

// The writer publishes each slot before its index and the reader copies a slot
// before releasing it: a reader on another thread never sees a half-written frame,
// and a writer never overwrites a slot that is being read.
TEST_F(ReceiveQueueTest, OneWriterOneReaderOnTwoThreadsLoseAndTearNothing) {
    constexpr std::uint32_t kFrames = 200000;
    std::atomic<bool> readerDone{false};
    std::thread writer([&] {
        for (std::uint32_t n = 0; n < kFrames; ++n) {
            while (!queue->Push(Numbered(n))) {
                if (readerDone.load()) return;
                std::this_thread::yield();
            }
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::uint32_t next = 0;
    CanFrame frame{};
    while (next < kFrames && std::chrono::steady_clock::now() < deadline) {
        if (!queue->Pop(frame)) {
            std::this_thread::yield();
            continue;
        }
        if (!IsNumbered(frame, next)) break;
        ++next;
    }
    readerDone.store(true);
    writer.join();
    EXPECT_EQ(next, kFrames) << "frame " << next << " was torn, out of order or missing";
}

}  // namespace
}  // namespace ucan
