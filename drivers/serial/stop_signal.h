// A stop request that a thread can wait for in poll next to its port. Once raised
// it stays readable, so a request made while the thread was busy is not lost.
#pragma once

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <utility>

namespace corvane {

class StopSignal {
public:
    static std::optional<StopSignal> Create() {
        const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (fd < 0) return std::nullopt;
        return StopSignal(fd);
    }

    StopSignal(StopSignal&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    StopSignal& operator=(StopSignal&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;
    ~StopSignal() {
        if (fd_ >= 0) close(fd_);
    }

    // Readable (POLLIN) from the first Raise on.
    int fd() const { return fd_; }

    void Raise() const {
        const std::uint64_t one = 1;
        // Only fails when the counter is about to overflow, that is, already raised.
        [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
    }

private:
    explicit StopSignal(int fd) : fd_(fd) {}

    int fd_;
};

}  // namespace corvane
