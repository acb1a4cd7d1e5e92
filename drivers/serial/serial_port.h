// The adapter's serial port: a tty opened for exclusive use in raw 8N1 mode
// without flow control, non-blocking so that reads wait in poll and writes can
// wait for room.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane {

class SerialPort {
public:
    // A write that makes no progress for this long gives up the rest of its bytes,
    // so a stalled adapter cannot hold the sending thread forever.
    static constexpr std::chrono::milliseconds kWriteStallLimit{2000};

    // Opens path and configures it at bitRate; empty when it cannot be opened.
    // Line settings the port refuses (a pseudo-terminal has no modem lines) are
    // left as they are.
    static std::optional<SerialPort> Open(const std::string& path, std::uint32_t bitRate);

    SerialPort(SerialPort&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    SerialPort& operator=(SerialPort&& other) noexcept;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;
    ~SerialPort();

    int fd() const { return fd_; }

    // Hands all count bytes to the port, waiting for room as needed. A port that
    // has gone or stalls ends the write early; nothing is reported.
    void Write(const std::uint8_t* bytes, std::size_t count) const;

private:
    explicit SerialPort(int fd) : fd_(fd) {}

    int fd_;
};

}  // namespace corvane
