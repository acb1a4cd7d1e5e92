// The adapter's end of a pseudo-terminal pair: the driver opens PortPath() as its
// serial port, the test reads what the driver sends and writes what the adapter
// would answer.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame_literal.h"

namespace tessaline::testing {

class PtyAdapter {
public:
    PtyAdapter();
    ~PtyAdapter();
    PtyAdapter(const PtyAdapter&) = delete;
    PtyAdapter& operator=(const PtyAdapter&) = delete;

    const std::string& PortPath() const { return portPath_; }
    // The master's descriptor; termios requests on it reach the port's settings.
    int fd() const { return master_; }

    // Writes all bytes into the port, waiting for room as needed.
    void Send(const Bytes& bytes) const;
    // Reads until count bytes have come or timeout has passed; returns what came.
    Bytes Receive(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    // True when no byte arrives within window.
    bool Silent(std::chrono::milliseconds window) const;
    // Closes the adapter's end: the port hangs up, as an unplugged adapter does.
    void HangUp();

private:
    int master_ = -1;
    std::string portPath_;
};

}  // namespace tessaline::testing
