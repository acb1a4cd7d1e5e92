// A list of received frame copies with its own lock: appended by the receive drain,
// taken from the front by one consumer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "ucan.h"

namespace tessaline {

class FrameQueue {
public:
    // Far more than any consumer lets pile up; beyond it new frames are dropped and
    // counted so that a stalled consumer cannot exhaust memory.
    static constexpr std::size_t kCapacity = 65536;

    void Push(const CanFrame& frame) {
        std::lock_guard lock(lock_);
        if (frames_.size() >= kCapacity) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        frames_.push_back(frame);
    }

    // One pass: with the lock held for the whole pass, hands every queued frame to
    // take(const CanFrame&), oldest first, and removes it. Returns the count taken.
    template <typename Take>
    std::size_t TakeAll(Take&& take) {
        std::lock_guard lock(lock_);
        std::size_t taken = 0;
        while (!frames_.empty()) {
            const CanFrame frame = frames_.front();
            frames_.pop_front();
            take(frame);
            ++taken;
        }
        return taken;
    }

    void Clear() {
        std::lock_guard lock(lock_);
        frames_.clear();
    }

    std::size_t Size() const {
        std::lock_guard lock(lock_);
        return frames_.size();
    }

    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    mutable std::mutex lock_;
    std::deque<CanFrame> frames_;
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace tessaline
