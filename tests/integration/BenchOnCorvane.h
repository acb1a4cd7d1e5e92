// The workbench core connected through the real libcorvane.so to the virtual bench.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "BenchSession.h"
#include "RecordingUserPort.h"
#include "VirtualBus.h"
#include "app/Workbench.h"
#include "app/buslink/DriverLibrary.h"

namespace tessaline::testing {

class BenchOnCorvane : public ::testing::Test {
protected:
    void SetUp() override {
        const auto error = session_.Start(std::string(BENCH_DIR) + "/default.json");
        ASSERT_FALSE(error) << *error;
        workbench.link.SetConnectionType(2);
        ASSERT_TRUE(workbench.link.ConnectBus()) << ::testing::PrintToString(user.Errors());
    }

    void TearDown() override {
        workbench.dispatch.DetachFilter();
        workbench.link.DisconnectBus();
    }

    template <typename F>
    auto OnBus(F&& f) {
        return session_.OnBus(std::forward<F>(f));
    }

    // Runs the window's 100 ms timer until the capture is idle: each tick waits at
    // most one period for frames to be queued (any queued frame wakes it early).
    void RunTimer(MenuCapture& capture, int maxTicks = 2000) {
        using namespace std::chrono_literals;
        for (int tick = 0; (capture.Scanning() || capture.Reading()) && tick < maxTicks; ++tick) {
            if (capture.Scanning()) {
                workbench.dispatch.canAllMsg.Wait(100ms);
            } else {
                workbench.dispatch.canMsg.Wait(100ms);
            }
            capture.Tick();
        }
    }

    // Scans the bus; returns the IDs found.
    std::vector<std::uint8_t> Scan(MenuCapture& capture) {
        std::vector<std::uint8_t> ids;
        EXPECT_TRUE(capture.StartScan());
        RunTimer(capture);
        capture.FinishScan();
        for (const DeviceEntry& d : workbench.devices) ids.push_back(d.id);
        return ids;
    }

    const bench::BenchDescription& Description() const { return session_.Description(); }

private:
    BenchSession session_;  // outlives the connection below

protected:
    RecordingUserPort user;
    Workbench workbench{user, ProgramDirectory()};
};

}  // namespace tessaline::testing
