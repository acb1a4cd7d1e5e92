// What another thread of this process is blocked in, read from /proc: lets a test
// wait for a thread to reach a wait instead of sleeping and hoping.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <thread>
#include <vector>

namespace tessaline::testing {

struct BlockedCall {
    long number;                      // the system call, as in <sys/syscall.h>
    std::vector<std::uint64_t> args;  // its arguments as the kernel reports them
};

// The system call thread tid is blocked in; empty while it runs or when it is gone.
std::optional<BlockedCall> BlockedSyscall(pid_t tid);

// True for poll and ppoll waiting on exactly count descriptors.
bool IsPollOn(const BlockedCall& call, std::uint64_t count);
// True for a futex wait: a lock, a condition or a thread join.
bool IsFutexWait(const BlockedCall& call);

// Waits up to timeout until thread tid is blocked in a call for which pred holds.
template <typename Pred>
bool WaitUntilBlocked(pid_t tid, Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        const std::optional<BlockedCall> call = BlockedSyscall(tid);
        if (call && pred(*call)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

}  // namespace tessaline::testing
