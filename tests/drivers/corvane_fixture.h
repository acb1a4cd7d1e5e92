// The real libcorvane.so, loaded from the test program's folder, talking to a
// pseudo-terminal whose other end the test plays as the adapter.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/buslink/DriverLibrary.h"
#include "frame_literal.h"
#include "pty_adapter.h"
#include "temp_work_dir.h"
#include "ucan.h"

namespace tessaline::testing {

struct DriverEvent {
    UcanHandle handle;
    std::uint8_t event;
    std::thread::id thread;
    pid_t tid;
};

// Every call of the event callback. The callback has no context pointer, so there
// is one log per process.
class EventLog {
public:
    static EventLog& Instance();
    // The callback given to UcanInitHardware.
    static void Callback(UcanHandle handle, std::uint8_t event);

    void Reset();
    std::vector<DriverEvent> Events() const;
    std::size_t Count() const;
    bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // The next callback waits inside the driver's receive thread until Release().
    void HoldNext();
    bool WaitUntilHeld(std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;
    void Release();

private:
    void Record(UcanHandle handle, std::uint8_t event);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<DriverEvent> events_;
    bool holdNext_ = false;
    bool held_ = false;
};

class CorvaneTest : public ::testing::Test {
protected:
    static const DriverEntryPoints& Corvane();

    void SetUp() override;
    void TearDown() override;

    // CORVANE.INI naming the pseudo-terminal, plus further lines.
    void WriteIni(const std::string& moreLines = "");
    // Opens the hardware through CORVANE.INI and starts CAN; the adapter has seen
    // exactly the opening END.
    void Connect(const std::string& moreIniLines = "");

    TempWorkDir dir;
    PtyAdapter adapter;
    const DriverEntryPoints& driver = Corvane();
};

}  // namespace tessaline::testing
