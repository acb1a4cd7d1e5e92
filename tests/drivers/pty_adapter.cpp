#include "pty_adapter.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <stdexcept>

namespace tessaline::testing {

PtyAdapter::PtyAdapter() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::array<char, 128> name{};
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name.data(), name.size()) != 0) {
        throw std::runtime_error("no pseudo-terminal");
    }
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    portPath_ = name.data();
}

PtyAdapter::~PtyAdapter() { HangUp(); }

void PtyAdapter::Send(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd room{master_, POLLOUT, 0};
            if (poll(&room, 1, 5000) <= 0) throw std::runtime_error("port does not take input");
        } else {
            throw std::runtime_error("write to the pseudo-terminal failed");
        }
    }
}

Bytes PtyAdapter::Receive(std::size_t count, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Bytes bytes;
    std::array<std::uint8_t, 4096> chunk;
    while (bytes.size() < count) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd input{master_, POLLIN, 0};
        if (left.count() <= 0 || poll(&input, 1, static_cast<int>(left.count())) <= 0) break;
        const ssize_t n = read(master_, chunk.data(), std::min(chunk.size(), count - bytes.size()));
        if (n > 0) bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + n);
    }
    return bytes;
}

bool PtyAdapter::Silent(std::chrono::milliseconds window) const {
    pollfd input{master_, POLLIN, 0};
    return poll(&input, 1, static_cast<int>(window.count())) == 0;
}

void PtyAdapter::HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
}

}  // namespace tessaline::testing
