#include "app/buslink/TransferWorker.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tessaline {

TransferWorker::TransferWorker(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer,
                               std::uint8_t nodeAddress, std::uint8_t blockRegister, std::chrono::milliseconds idle,
                               std::chrono::milliseconds total)
    : node(nodeAddress),
      reg(blockRegister),
      idleTimeout(idle),
      totalTimeout(total),
      link_(link),
      dispatch_(dispatch),
      buffer_(buffer) {}

void TransferWorker::Start() {
    thread_ = std::thread([this] {
        // The lowest priority an unprivileged thread can take: the transfer yields to
        // everything else, yet still runs on a busy machine (unlike SCHED_IDLE).
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 19);
        result_ = Execute();
    });
}

void TransferWorker::Stop() {
    terminate_.store(true, std::memory_order_release);
    if (thread_.joinable()) thread_.join();
}

std::uint32_t TransferWorker::WaitFor() {
    if (thread_.joinable()) thread_.join();
    return result_;
}

void TransferWorker::StartDeadlines() {
    const auto now = Clock::now();
    idleDeadline_ = now + idleTimeout;
    totalDeadline_ = now + totalTimeout;
}

bool TransferWorker::DeadlinePassed() const {
    const auto now = Clock::now();
    return now >= idleDeadline_ || now >= totalDeadline_;
}

}  // namespace tessaline
