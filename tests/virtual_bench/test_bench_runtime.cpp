// The adapter over a real pseudo-terminal: this test plays the workbench with the
// driver's codec and raw terminal I/O.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <unistd.h>

#include "BenchRuntime.h"
#include "BenchTestSupport.h"
#include "PtyWorkbench.h"

namespace tessaline::bench {
namespace {

using namespace testing;
using namespace std::chrono_literals;

// Collects what the runtime prints, and lets the test wait for a text.
class Printed {
public:
    void Add(const std::string& text) {
        {
            std::lock_guard lock(lock_);
            text_ += text;
        }
        changed_.notify_all();
    }
    bool WaitFor(const std::string& wanted, std::chrono::milliseconds timeout = 3000ms) {
        std::unique_lock lock(lock_);
        return changed_.wait_for(lock, timeout, [&] { return text_.find(wanted) != std::string::npos; });
    }
    std::string Text() {
        std::lock_guard lock(lock_);
        return text_;
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::string text_;
};

class BenchRuntimeTest : public ::testing::Test {
protected:
    void Start(RuntimeOptions options) {
        options.print = [this](const std::string& text) { printed.Add(text); };
        runtime = std::make_unique<BenchRuntime>(SmallBench(), options);
        const auto error = runtime->Open();
        ASSERT_FALSE(error) << *error;
        runtime->Start();
    }
    void TearDown() override {
        if (runtime) runtime->Stop();
    }

    Printed printed;
    std::unique_ptr<BenchRuntime> runtime;
};

bool IsNameOf(const CanFrame& frame, std::uint8_t device) {
    return FrameSource(frame) == device && FrameDest(frame) == kPcNode && FrameReg(frame) == 0;
}

TEST_F(BenchRuntimeTest, AnswersTheWorkbenchsFramesWithTheDestinationByte) {
    Start({});
    PtyWorkbench workbench(runtime->SlavePath());
    workbench.WriteBytes({ucan::kEnd});  // the driver's opening END
    workbench.Send(FromWorkbench(kPump, 0, 0x80));
    const auto name = workbench.Receive();
    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(IsNameOf(*name, kPump));
    EXPECT_TRUE(runtime->LinkOpen());
    EXPECT_EQ(std::string(name->Data, name->Data + name->Dlc), "PUMP");

    // A frame to another node keeps its destination on the way to the workbench.
    runtime->WithBus([](VirtualBus& bus, BenchTime now) { bus.Master().Enable(true, now); });
    const auto toMaster = workbench.ReceiveUntil([](const CanFrame& f) { return FrameSource(f) != kMaster; });
    ASSERT_TRUE(toMaster.has_value());
    EXPECT_EQ(FrameDest(*toMaster), kMaster);
}

TEST_F(BenchRuntimeTest, TakesPacketsInPiecesAndStuffedBytes) {
    Start({});
    PtyWorkbench workbench(runtime->SlavePath());
    // A write of 0xC0DB to register 8 (limited to 1000): every data byte is stuffed.
    std::uint8_t wire[ucan::kMaxEncodedFrame];
    const std::size_t size = ucan::EncodeFrame(FromWorkbench(kPump, 8, 0x18, {0xC0, 0xDB}), wire);
    for (std::size_t i = 0; i < size; ++i) workbench.WriteBytes({wire[i]});
    const auto answer = workbench.Receive();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(DataOf(*answer), (std::vector<std::uint8_t>{0xE8, 0x03}));
}

TEST_F(BenchRuntimeTest, LivesThroughTheWorkbenchClosingAndReopeningThePort) {
    Start({});
    for (int session = 0; session < 3; ++session) {
        SCOPED_TRACE(session);
        PtyWorkbench workbench(runtime->SlavePath());
        workbench.WriteBytes({ucan::kEnd});
        workbench.Send(FromWorkbench(kValve, 0, 0x80));
        const auto name = workbench.Receive();
        ASSERT_TRUE(name.has_value());
        EXPECT_TRUE(IsNameOf(*name, kValve));
        workbench.Send(FromWorkbench(kPump, 8, 0xC0));  // values keep coming while the port closes
        ASSERT_TRUE(workbench.Receive().has_value());
        workbench.WriteBytes({ucan::kCloseSequence[0], ucan::kCloseSequence[1], ucan::kCloseSequence[2]});
        workbench.Close();
    }
}

TEST_F(BenchRuntimeTest, VerboseModePrintsEveryFrameAsTheMonitorShowsIt) {
    RuntimeOptions options;
    options.verbose = true;
    Start(options);
    PtyWorkbench workbench(runtime->SlavePath());
    workbench.Send(FromWorkbench(kPump, 0, 0x80));
    ASSERT_TRUE(workbench.Receive().has_value());
    EXPECT_TRUE(printed.WaitFor("<- L 05 3F 00 ---- R 0|" + std::string(24, ' ') + " |\n"));
    EXPECT_TRUE(printed.WaitFor("-> L 3F 05 00 ---- - 4| 50 55 4D 50" + std::string(12, ' ') + " |PUMP\n"))
        << printed.Text();
}

TEST_F(BenchRuntimeTest, RunsCommandsAndGoesOnAfterTheirEnd) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    RuntimeOptions options;
    options.commandFd = pipeFds[0];
    Start(options);
    const std::string commands = "raise 5 0x0003\nset 5 8 123";  // the last line has no newline
    ASSERT_EQ(::write(pipeFds[1], commands.data(), commands.size()), static_cast<ssize_t>(commands.size()));
    ::close(pipeFds[1]);
    EXPECT_TRUE(printed.WaitFor("errors 0x0003\n"));
    EXPECT_TRUE(printed.WaitFor("ok 123\n")) << printed.Text();

    PtyWorkbench workbench(runtime->SlavePath());
    workbench.Send(FromWorkbench(kPump, 8, 0x80));
    const auto value = workbench.Receive();
    ASSERT_TRUE(value.has_value()) << "the bench goes on after the end of its commands";
    EXPECT_EQ(DataOf(*value), (std::vector<std::uint8_t>{123, 0}));
    ::close(pipeFds[0]);
}

}  // namespace
}  // namespace tessaline::bench
