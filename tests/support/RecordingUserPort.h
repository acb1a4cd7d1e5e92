// A UserPort that records what the core tells the user, for tests. Safe to call
// from any thread; RunOnGuiThread runs the call at once on the caller's thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "app/UserPort.h"

namespace tessaline::testing {

struct EventRow {
    std::uint8_t status;
    std::uint8_t source;
    std::string text;
    bool operator==(const EventRow&) const = default;
};

struct EchoedFrame {
    CanFrame frame;
    FrameDirection direction;
};

class RecordingUserPort : public UserPort {
public:
    void AddEvent(std::uint8_t status, std::uint8_t source, const std::string& text) override {
        Append([&] {
            events_.push_back({status, source, text});
            journal_.push_back("event: " + text);
        });
    }
    void SetStatusText(const std::string& text) override {
        Append([&] {
            statusTexts_.push_back(text);
            journal_.push_back("status: " + text);
        });
    }
    void ShowError(const std::string& text) override {
        Append([&] {
            errors_.push_back(text);
            journal_.push_back("error: " + text);
        });
    }
    void EchoFrame(const CanFrame& frame, FrameDirection direction) override {
        Append([&] { echoes_.push_back({frame, direction}); });
    }
    void RunOnGuiThread(const std::function<void()>& call) override { call(); }

    std::vector<EventRow> Events() const { return Copy(events_); }
    std::vector<std::string> StatusTexts() const { return Copy(statusTexts_); }
    std::vector<std::string> Errors() const { return Copy(errors_); }
    std::vector<EchoedFrame> Echoes() const { return Copy(echoes_); }
    // Events, status texts and errors in the order they came: "event: ...", "status: ...", "error: ...".
    std::vector<std::string> Journal() const { return Copy(journal_); }

    // Waits until pred() holds over this port's records, or timeout; true if it held.
    template <typename Pred>
    bool WaitFor(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(lock_);
        return changed_.wait_for(lock, timeout, [&] { return pred(*this); });
    }

    // Unlocked views for use inside WaitFor predicates only.
    const std::vector<EventRow>& events() const { return events_; }
    const std::vector<std::string>& errors() const { return errors_; }
    const std::vector<EchoedFrame>& echoes() const { return echoes_; }

private:
    template <typename F>
    void Append(F&& f) {
        {
            std::lock_guard lock(lock_);
            f();
        }
        changed_.notify_all();
    }
    template <typename T>
    T Copy(const T& v) const {
        std::lock_guard lock(lock_);
        return v;
    }

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::vector<EventRow> events_;
    std::vector<std::string> statusTexts_;
    std::vector<std::string> errors_;
    std::vector<EchoedFrame> echoes_;
    std::vector<std::string> journal_;
};

}  // namespace tessaline::testing
