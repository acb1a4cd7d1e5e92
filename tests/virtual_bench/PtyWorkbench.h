// The workbench's end of the adapter's pseudo-terminal for tests: raw I/O with
// the driver's own packet codec, every wait bounded.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include "adapter_codec.h"

namespace tessaline::bench::testing {

class PtyWorkbench {
public:
    explicit PtyWorkbench(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        EXPECT_GE(fd_, 0) << path;
        termios settings{};
        if (fd_ >= 0 && ::tcgetattr(fd_, &settings) == 0) {
            ::cfmakeraw(&settings);
            ::tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~PtyWorkbench() { Close(); }
    PtyWorkbench(const PtyWorkbench&) = delete;
    PtyWorkbench& operator=(const PtyWorkbench&) = delete;

    void Close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

    void WriteBytes(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    void Send(const CanFrame& frame) {
        std::uint8_t wire[ucan::kMaxEncodedFrame];
        const std::size_t size = ucan::EncodeFrame(frame, wire);
        WriteBytes(std::vector<std::uint8_t>(wire, wire + size));
    }

    // The next frame from the adapter, waiting at most timeout.
    std::optional<CanFrame> Receive(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            std::uint8_t byte;
            while (::read(fd_, &byte, 1) == 1) {
                if (decoder_.Feed(byte)) {
                    const CanFrame frame = ucan::PacketToFrame(decoder_.Packet(), decoder_.Size(), 0);
                    decoder_.Consume();
                    return frame;
                }
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                   std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd pfd{fd_, POLLIN, 0};
            ::poll(&pfd, 1, static_cast<int>(left.count()));
        }
    }

    // Frames until one satisfies wanted, at most timeout in all.
    template <typename Predicate>
    std::optional<CanFrame> ReceiveUntil(Predicate wanted,
                                         std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (true) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                   std::chrono::steady_clock::now());
            if (left.count() <= 0) return std::nullopt;
            const auto frame = Receive(left);
            if (!frame || wanted(*frame)) return frame;
        }
    }

private:
    int fd_ = -1;
    ucan::PacketDecoder decoder_;
};

}  // namespace tessaline::bench::testing
