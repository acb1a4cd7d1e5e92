// The bench running for real: the bus behind an adapter that serves a
// pseudo-terminal, on a thread of its own, with the line commands on a file
// descriptor. The adapter reads the driver's packets, puts their frames on the
// bus and sends every frame of the bus back, paced when a bit rate is given.
// It lives through the workbench closing and reopening the port: while no one
// holds the slave open it drops its output and looks again every 100 ms.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BenchDescription.h"
#include "LinePacer.h"
#include "PseudoTerminal.h"
#include "VirtualBus.h"
#include "adapter_codec.h"

namespace tessaline::bench {

struct RuntimeOptions {
    unsigned baud = 0;     // 0: unpaced
    bool verbose = false;  // print every frame in the frame monitor's format
    int commandFd = -1;    // line commands, or -1 for none; its end does not stop the bench
    // Text for the user: frames and command answers, whole lines. Called on the
    // runtime's thread only.
    std::function<void(const std::string&)> print;
    std::function<void()> quit;  // the quit command
};

class BenchRuntime {
public:
    BenchRuntime(const BenchDescription& bench, RuntimeOptions options);
    ~BenchRuntime();
    BenchRuntime(const BenchRuntime&) = delete;
    BenchRuntime& operator=(const BenchRuntime&) = delete;

    // Opens the pseudo-terminal; the error text when that fails.
    std::optional<std::string> Open();
    const std::string& SlavePath() const { return pty_.SlavePath(); }

    void Start();
    void Stop();

    BenchTime Now() const;
    bool LinkOpen() const { return linkOpen_.load(); }

    // Runs f(bus, now) under the bus lock, then lets the runtime send what it caused.
    template <typename F>
    auto WithBus(F&& f) {
        Waker waker{*this};
        std::lock_guard lock(busLock_);
        return f(bus_, Now());
    }

private:
    struct Waker {
        BenchRuntime& runtime;
        ~Waker() { runtime.Wake(); }
    };

    void Wake() const;
    void Run(const std::stop_token& stop);
    LinePacer::Clock::duration PollTimeout(LinePacer::Clock::time_point now);
    void Emit(const std::vector<CanFrame>& frames);
    void ReadLink(LinePacer::Clock::time_point now);
    void WriteLink(LinePacer::Clock::time_point now);
    void LinkClosed(LinePacer::Clock::time_point now);
    void ReadCommands();
    void RunCommandLine(const std::string& line);
    void Print(const std::string& text) const;

    RuntimeOptions options_;
    const LinePacer::Clock::time_point start_;
    PseudoTerminal pty_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;

    std::mutex busLock_;
    VirtualBus bus_;  // guarded by busLock_

    // Owned by the runtime's thread.
    ucan::PacketDecoder decoder_;
    LinePacer pacer_;
    std::vector<std::uint8_t> output_;
    std::string commandText_;
    int commandFd_;
    LinePacer::Clock::time_point retryLinkAt_{};

    std::atomic<bool> linkOpen_{false};
    std::jthread thread_;
};

}  // namespace tessaline::bench
