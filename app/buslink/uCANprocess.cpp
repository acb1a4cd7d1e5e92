#include "app/buslink/uCANprocess.h"

#include <algorithm>

#include "app/buslink/FrameId.h"

namespace tessaline {

namespace {

struct DownloadSetup {
    std::uint8_t reg;
    std::chrono::milliseconds idle;
    std::chrono::milliseconds total;
};

DownloadSetup SetupOf(std::uint8_t kind) {
    using std::chrono::seconds;
    switch (kind) {
        case kDownloadErrorList:
            return {4, seconds(1), seconds(10)};
        case kDownloadMenuList:
            return {1, seconds(2), seconds(15)};
        default:
            return {7, seconds(2), seconds(30)};
    }
}

}  // namespace

CANprocess::CANprocess(BusLink& link, ReceiveDispatch& dispatch, TransferBuffer& buffer, std::uint8_t nodeAddress,
                       std::uint8_t downloadKind)
    : TransferWorker(link, dispatch, buffer, nodeAddress, SetupOf(downloadKind).reg, SetupOf(downloadKind).idle,
                     SetupOf(downloadKind).total),
      kind(downloadKind) {
    Start();
}

CANprocess::~CANprocess() { Stop(); }

std::uint32_t CANprocess::Execute() {
    const std::uint8_t savedMode = dispatch_.ReceiveMode();
    dispatch_.SetReceiveMode(kModeOneRegister, nullptr, nullptr, reg);
    dispatch_.ClearRxQueue();
    buffer_.clear();

    link_.SendFrame(kWorkbenchPriority, node, kPcNode, reg, fl::Rtr | fl::R);
    const bool ended = Pump([&](const CanFrame& frame) {
        if (!FrameMatches(frame, kPcNode, node, reg)) return;
        if (frame.Dlc > 0 || (FrameFlags(frame) & fl::R) != 0) {
            link_.SendFrame(kWorkbenchPriority, node, kPcNode, reg, fl::Rtr);
            const std::size_t count = std::min<std::size_t>(frame.Dlc, sizeof frame.Data);
            buffer_.insert(buffer_.end(), frame.Data, frame.Data + count);
            RestartIdleDeadline();
        } else {
            running = false;
        }
    });
    dispatch_.RestoreReceiveMode(savedMode);
    return ended ? kTransferDone : kTransferTimedOut;
}

}  // namespace tessaline
