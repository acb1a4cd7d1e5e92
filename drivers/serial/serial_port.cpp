#include "serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

#include "custom_bit_rate.h"

namespace corvane {

namespace {

struct StandardRate {
    std::uint32_t rate;
    speed_t code;
};

constexpr std::array<StandardRate, 30> kStandardRates{{
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
}};

std::optional<speed_t> StandardSpeed(std::uint32_t rate) {
    for (const auto& standard : kStandardRates) {
        if (standard.rate == rate) return standard.code;
    }
    return std::nullopt;
}

// Raw bytes, 8N1, receiver on, modem status ignored, no flow control of any kind,
// and reads that return whatever has arrived.
void Configure(int fd, std::uint32_t bitRate) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) return;
    cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    const std::optional<speed_t> standard = StandardSpeed(bitRate);
    if (standard) cfsetspeed(&settings, *standard);
    tcsetattr(fd, TCSANOW, &settings);
    if (!standard) SetCustomBitRate(fd, bitRate);

    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
}

// Waits up to timeout for room to write; false when there is none or the port is gone.
bool WaitForRoom(int fd, std::chrono::milliseconds timeout) {
    pollfd port{fd, POLLOUT, 0};
    const int ready = poll(&port, 1, static_cast<int>(timeout.count()));
    if (ready < 0) return errno == EINTR;
    return ready > 0 && (port.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
}

}  // namespace

std::optional<SerialPort> SerialPort::Open(const std::string& path, std::uint32_t bitRate) {
    // Non-blocking from the start: opening a tty must not wait for a carrier.
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    SerialPort port(fd);
    // Exclusive use where the tty supports it; no other program opens it meanwhile.
    ioctl(fd, TIOCEXCL);
    Configure(fd, bitRate);
    return port;
}

SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
}

SerialPort::~SerialPort() {
    if (fd_ >= 0) close(fd_);
}

void SerialPort::Write(const std::uint8_t* bytes, std::size_t count) const {
    using Clock = std::chrono::steady_clock;
    auto lastProgress = Clock::now();
    while (count > 0) {
        const ssize_t written = write(fd_, bytes, count);
        if (written > 0) {
            bytes += written;
            count -= static_cast<std::size_t>(written);
            lastProgress = Clock::now();
            continue;
        }
        if (written < 0 && errno == EINTR) continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto left =
                kWriteStallLimit - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - lastProgress);
            if (left.count() > 0 && WaitForRoom(fd_, left)) continue;
        }
        return;
    }
}

}  // namespace corvane
