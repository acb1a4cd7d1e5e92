// The thread of one block transfer: started at the lowest priority when the worker
// is created, waited for and released by its creator.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "app/buslink/BusLink.h"
#include "app/buslink/ReceiveDispatch.h"
#include "app/buslink/TransferBuffer.h"

namespace tessaline {

// Transfer results.
inline constexpr std::uint32_t kTransferDone = 0;
inline constexpr std::uint32_t kTransferTimedOut = 1;
inline constexpr std::uint32_t kTransferRefused = 2;

class TransferWorker {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~TransferWorker() = default;
    TransferWorker(const TransferWorker&) = delete;
    TransferWorker& operator=(const TransferWorker&) = delete;

    // Blocks until the transfer has ended; returns its result.
    std::uint32_t WaitFor();

    std::uint8_t node;
    std::uint8_t reg;
    std::chrono::milliseconds idleTimeout;
    std::chrono::milliseconds totalTimeout;
    std::atomic<bool> running{false};

protected:
    TransferWorker(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer, std::uint8_t nodeAddress,
                   std::uint8_t blockRegister, std::chrono::milliseconds idle, std::chrono::milliseconds total);
    // Asks the thread to end and joins it; derived destructors call it first so the
    // thread never runs against a half-destroyed worker.
    void Stop();
    // Runs Execute on a thread of the lowest priority; called by the derived constructor.
    void Start();
    bool TerminateRequested() const { return terminate_.load(std::memory_order_acquire); }

    // The transfer loop; returns the result.
    virtual std::uint32_t Execute() = 0;

    // The transfer loop shared by both directions: starts the deadlines, then waits
    // up to 50 ms at a time for "CANAllMsg" and hands every queued frame of that
    // pass to onFrame, until onFrame clears running, a deadline passes or the worker
    // is released. Frames behind the end of a transfer are discarded. Returns false
    // when a deadline ended it.
    template <typename OnFrame>
    bool Pump(OnFrame&& onFrame) {
        StartDeadlines();
        running = true;
        while (!TerminateRequested() && running) {
            dispatch_.canAllMsg.Wait(std::chrono::milliseconds(50));
            if (DeadlinePassed()) {
                running = false;
                return false;
            }
            dispatch_.rxQueue.TakeAll([&](const CanFrame& frame) {
                if (running) onFrame(frame);
            });
        }
        return true;
    }
    void RestartIdleDeadline() { idleDeadline_ = Clock::now() + idleTimeout; }

    BusLink& link_;
    ReceiveDispatch& dispatch_;
    TransferBuffer& buffer_;

private:
    void StartDeadlines();
    bool DeadlinePassed() const;

    std::atomic<bool> terminate_{false};
    std::uint32_t result_ = kTransferTimedOut;
    Clock::time_point idleDeadline_;
    Clock::time_point totalDeadline_;
    std::thread thread_;
};

}  // namespace tessaline
