#include "app/buslink/uCANwrProcess.h"

#include <algorithm>

#include "app/buslink/FrameId.h"

namespace tessaline {

namespace {

constexpr std::uint8_t kDataFileReg = 7;
constexpr std::uint8_t kFirstChunkFlags = fl::R | fl::N | fl::W;
constexpr std::uint8_t kChunkFlags = fl::N | fl::W;

}  // namespace

CANwrProcess::CANwrProcess(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer,
                           std::uint8_t nodeAddress)
    : TransferWorker(link, dispatch, buffer, nodeAddress, kDataFileReg, std::chrono::seconds(2),
                     std::chrono::seconds(30)) {
    Start();
}

CANwrProcess::~CANwrProcess() { Stop(); }

std::uint32_t CANwrProcess::Execute() {
    const std::uint8_t savedMode = dispatch_.ReceiveMode();
    dispatch_.SetReceiveMode(kModeOneRegister, nullptr, nullptr, kDataFileReg);
    dispatch_.ClearRxQueue();

    std::size_t sent = 0;
    std::uint8_t chunk = 0;  // size of the chunk sent last
    const auto sendChunk = [&](std::uint8_t flags) {
        chunk = static_cast<std::uint8_t>(std::min<std::size_t>(8, buffer_.size() - sent));
        std::uint8_t data[8] = {};
        std::copy_n(buffer_.begin() + static_cast<std::ptrdiff_t>(sent), chunk, data);
        link_.SendFrame(kWorkbenchPriority, node, kPcNode, kDataFileReg, flags, chunk, data);
        sent += chunk;
    };

    sendChunk(kFirstChunkFlags);
    std::uint32_t result = kTransferDone;
    const bool ended = Pump([&](const CanFrame& frame) {
        // Acknowledgements are recognised by their addresses and register alone.
        if (FrameDest(frame) != kPcNode || FrameSource(frame) != node || FrameReg(frame) != kDataFileReg) return;
        if ((FrameFlags(frame) & fl::R) != 0) {
            result = kTransferRefused;
            running = false;
        } else if (chunk == 0) {
            running = false;
        } else {
            sendChunk(kChunkFlags);
            RestartIdleDeadline();
        }
    });
    if (!ended) result = kTransferTimedOut;
    dispatch_.RestoreReceiveMode(savedMode);
    return result;
}

}  // namespace tessaline
