// An event that stays set until one waiter takes it, then resets itself.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace tessaline {

class AutoResetEvent {
public:
    void Set() {
        {
            std::lock_guard lock(lock_);
            set_ = true;
        }
        changed_.notify_one();
    }

    // Takes the event if it is set; never waits.
    bool TryTake() {
        std::lock_guard lock(lock_);
        return std::exchange(set_, false);
    }

    // Waits up to timeout for the event; true when it was taken.
    bool Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(lock_);
        if (!changed_.wait_for(lock, timeout, [this] { return set_; })) return false;
        set_ = false;
        return true;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool set_ = false;
};

}  // namespace tessaline
