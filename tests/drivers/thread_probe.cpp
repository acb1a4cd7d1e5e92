#include "thread_probe.h"

#include <sys/syscall.h>

#include <fstream>
#include <sstream>
#include <string>

namespace tessaline::testing {

std::optional<BlockedCall> BlockedSyscall(pid_t tid) {
    // "running", or the call number, six arguments, stack and instruction pointer.
    std::ifstream file("/proc/self/task/" + std::to_string(tid) + "/syscall");
    std::string first;
    if (!(file >> first) || first == "running" || first.starts_with("-")) return std::nullopt;
    BlockedCall call{std::stol(first), {}};
    std::string word;
    while (file >> word) call.args.push_back(std::stoull(word, nullptr, 16));
    return call;
}

bool IsPollOn(const BlockedCall& call, std::uint64_t count) {
#ifdef SYS_poll
    const bool poll = call.number == SYS_poll;
#else
    const bool poll = false;
#endif
    return (poll || call.number == SYS_ppoll) && call.args.size() > 1 && call.args[1] == count;
}

bool IsFutexWait(const BlockedCall& call) { return call.number == SYS_futex; }

}  // namespace tessaline::testing
