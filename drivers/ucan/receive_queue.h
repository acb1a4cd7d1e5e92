// The driver's queue of received frames: one writer (the receive thread) and one
// reader (whoever calls UcanReadCanMsg), no lock. A slot is complete before the
// write index that covers it is published, and the reader releases a slot only
// after copying it out.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ucan.h"

namespace ucan {

class ReceiveQueue {
public:
    static constexpr std::size_t kSlots = 500;

    // Empties the queue. Only while neither Push nor Pop runs.
    void Clear() { read_.store(write_.load(std::memory_order_acquire), std::memory_order_release); }

    // Writer side. Equal indexes mean empty, so at most kSlots - 1 frames wait; a
    // frame that finds the queue full is dropped and counted, never blocks.
    bool Push(const CanFrame& frame) {
        const std::size_t write = write_.load(std::memory_order_relaxed);
        const std::size_t next = Next(write);
        if (next == read_.load(std::memory_order_acquire)) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return false;
        }
        slots_[write] = frame;
        write_.store(next, std::memory_order_release);
        return true;
    }

    // Reader side: copies out the oldest frame; false, frame untouched, when empty.
    bool Pop(CanFrame& frame) {
        const std::size_t read = read_.load(std::memory_order_relaxed);
        if (read == write_.load(std::memory_order_acquire)) return false;
        frame = slots_[read];
        read_.store(Next(read), std::memory_order_release);
        return true;
    }

    // Frames dropped because the queue was full, since construction.
    std::uint64_t Dropped() const { return dropped_.load(std::memory_order_relaxed); }

private:
    static std::size_t Next(std::size_t index) { return index + 1 == kSlots ? 0 : index + 1; }

    std::array<CanFrame, kSlots> slots_{};
    std::atomic<std::size_t> write_{0};
    std::atomic<std::size_t> read_{0};
    std::atomic<std::uint64_t> dropped_{0};
};

}  // namespace ucan
