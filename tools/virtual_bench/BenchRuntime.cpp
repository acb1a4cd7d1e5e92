#include "BenchRuntime.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "AdapterPacket.h"
#include "ControlCommands.h"
#include "FrameMonitorLine.h"

namespace tessaline::bench {
namespace {

using Clock = LinePacer::Clock;

constexpr auto kLinkRetry = std::chrono::milliseconds(100);
constexpr Clock::duration kLongestWait = std::chrono::seconds(1);
// A workbench that holds the port open but stops reading makes the adapter drop
// frames rather than hold an ever longer backlog.
constexpr std::size_t kMaxBacklogBytes = 64 * 1024;

// Waits are kept to the nanosecond: a paced line frees up well within a
// millisecond, and rounding each wait up to whole milliseconds would slow a paced
// stop-and-wait transfer to half of what the line carries.
Clock::duration DurationUntil(Clock::time_point when, Clock::time_point now) {
    if (when <= now) return Clock::duration::zero();
    return std::min(when - now, kLongestWait);
}

timespec ToTimespec(Clock::duration d) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(d);
    return {static_cast<time_t>(seconds.count()),
            static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(d - seconds).count())};
}

}  // namespace

BenchRuntime::BenchRuntime(const BenchDescription& bench, RuntimeOptions options)
    : options_(std::move(options)),
      start_(Clock::now()),
      bus_(bench, BenchTime{0}),
      pacer_(options_.baud),
      commandFd_(options_.commandFd) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead_ = fds[0];
        wakeWrite_ = fds[1];
    }
}

BenchRuntime::~BenchRuntime() {
    Stop();
    if (wakeRead_ >= 0) ::close(wakeRead_);
    if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

std::optional<std::string> BenchRuntime::Open() {
    if (wakeRead_ < 0) return std::string("cannot create the wake-up pipe");
    return pty_.Open();
}

void BenchRuntime::Start() {
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void BenchRuntime::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    Wake();
    thread_.join();
}

BenchTime BenchRuntime::Now() const { return std::chrono::duration_cast<BenchTime>(Clock::now() - start_); }

void BenchRuntime::Wake() const {
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing is lost when this write fails.
    [[maybe_unused]] const auto written = ::write(wakeWrite_, &byte, 1);
}

void BenchRuntime::Print(const std::string& text) const {
    if (options_.print && !text.empty()) options_.print(text);
}

void BenchRuntime::Emit(const std::vector<CanFrame>& frames) {
    for (const CanFrame& frame : frames) {
        if (options_.verbose) Print(FrameMonitorLine(frame, false) + "\n");
        if (!linkOpen_) continue;
        std::uint8_t packet[kPacketFromAdapterSize];
        std::uint8_t wire[ucan::kMaxEncodedPacket];
        const std::size_t size = ucan::StuffPacket(packet, PacketForDriver(frame, packet), wire);
        if (output_.size() + size > kMaxBacklogBytes) continue;
        output_.insert(output_.end(), wire, wire + size);
    }
}

LinePacer::Clock::duration BenchRuntime::PollTimeout(Clock::time_point now) {
    Clock::duration timeout = kLongestWait;
    std::optional<BenchTime> due;
    {
        std::lock_guard lock(busLock_);
        due = bus_.NextDue();
    }
    if (due) timeout = std::min(timeout, DurationUntil(start_ + *due, now));
    if (!output_.empty() && linkOpen_) timeout = std::min(timeout, pacer_.Busy(now));
    if (!linkOpen_) timeout = std::min(timeout, DurationUntil(retryLinkAt_, now));
    return timeout;
}

void BenchRuntime::LinkClosed(Clock::time_point now) {
    if (linkOpen_ && options_.verbose) Print("link: the workbench closed the port\n");
    linkOpen_ = false;
    decoder_.Reset();
    output_.clear();
    pty_.DiscardQueued();
    retryLinkAt_ = now + kLinkRetry;
}

void BenchRuntime::ReadLink(Clock::time_point now) {
    std::uint8_t bytes[4096];
    const ssize_t count = ::read(pty_.MasterFd(), bytes, sizeof bytes);
    if (count < 0) {
        if (errno == EIO) LinkClosed(now);
        return;
    }
    for (ssize_t i = 0; i < count; ++i) {
        if (!decoder_.Feed(bytes[i])) continue;
        const auto frame = FrameFromDriverPacket(decoder_.Packet(), decoder_.Size());
        decoder_.Consume();
        if (!frame) continue;
        if (options_.verbose) Print(FrameMonitorLine(*frame, true) + "\n");
        std::vector<CanFrame> answers;
        {
            std::lock_guard lock(busLock_);
            answers = bus_.Deliver(*frame, Now());
        }
        Emit(answers);
    }
}

void BenchRuntime::WriteLink(Clock::time_point now) {
    while (!output_.empty() && linkOpen_ && pacer_.Busy(now) == Clock::duration::zero()) {
        const std::size_t slice = std::min(output_.size(), pacer_.SliceBytes());
        const ssize_t written = ::write(pty_.MasterFd(), output_.data(), slice);
        if (written <= 0) {
            if (written < 0 && errno == EIO) LinkClosed(now);
            return;  // EAGAIN: poll says when the line takes more
        }
        output_.erase(output_.begin(), output_.begin() + written);
        pacer_.Sent(static_cast<std::size_t>(written), now);
    }
}

void BenchRuntime::RunCommandLine(const std::string& line) {
    CommandResult result;
    {
        std::lock_guard lock(busLock_);
        result = RunCommand(bus_, line, Now());
    }
    Print(result.output);
    if (result.quit && options_.quit) options_.quit();
}

void BenchRuntime::ReadCommands() {
    char text[1024];
    const ssize_t count = ::read(commandFd_, text, sizeof text);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
    if (count <= 0) {
        commandFd_ = -1;  // end of input: the bench goes on without commands
        if (!commandText_.empty()) RunCommandLine(std::exchange(commandText_, std::string()));
        return;
    }
    commandText_.append(text, static_cast<std::size_t>(count));
    for (std::size_t end; (end = commandText_.find('\n')) != std::string::npos;) {
        const std::string line = commandText_.substr(0, end);
        commandText_.erase(0, end + 1);
        RunCommandLine(line);
    }
}

void BenchRuntime::Run(const std::stop_token& stop) {
    while (!stop.stop_requested()) {
        std::vector<CanFrame> due;
        {
            std::lock_guard lock(busLock_);
            due = bus_.Advance(Now());
        }
        Emit(due);
        Clock::time_point now = Clock::now();
        WriteLink(now);

        pollfd fds[3] = {};
        nfds_t count = 0;
        fds[count++] = {wakeRead_, POLLIN, 0};
        const bool watchLink = linkOpen_ || now >= retryLinkAt_;
        const nfds_t linkIndex = count;
        if (watchLink) {
            const bool wantsToWrite = !output_.empty() && pacer_.Busy(now) == Clock::duration::zero();
            fds[count++] = {pty_.MasterFd(), static_cast<short>(POLLIN | (wantsToWrite ? POLLOUT : 0)), 0};
        }
        const nfds_t commandIndex = count;
        if (commandFd_ >= 0) fds[count++] = {commandFd_, POLLIN, 0};

        const timespec timeout = ToTimespec(PollTimeout(now));
        if (::ppoll(fds, count, &timeout, nullptr) < 0) continue;  // EINTR
        now = Clock::now();

        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if (watchLink) {
            const short events = fds[linkIndex].revents;
            if (events & (POLLHUP | POLLERR)) {
                LinkClosed(now);
            } else {
                if (!linkOpen_) {
                    linkOpen_ = true;
                    decoder_.Reset();
                    if (options_.verbose) Print("link: the workbench opened the port\n");
                }
                if (events & POLLIN) ReadLink(now);
            }
        }
        if (commandFd_ >= 0 && (fds[commandIndex].revents & (POLLIN | POLLHUP | POLLERR))) ReadCommands();
    }
}

}  // namespace tessaline::bench
