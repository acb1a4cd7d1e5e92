#include "app/buslink/ReceiveDispatch.h"

#include "app/buslink/FrameId.h"

namespace tessaline {

void ReceiveDispatch::SetReceiveMode(std::uint8_t mode, MenuItemType* item, WatchList* list, int reg) {
    std::lock_guard lock(selectorLock_);
    switch (mode) {
        case kModeOneRegister:
            targetReg_.store(reg, std::memory_order_release);
            break;
        case kModeBrowsing:
            filterItem_.store(item, std::memory_order_release);
            filterList_.store(list, std::memory_order_release);
            break;
        case kModeOneItem:
            filterItem_.store(item, std::memory_order_release);
            filterList_.store(nullptr, std::memory_order_release);
            break;
        default:
            break;
    }
    mode_.store(mode, std::memory_order_release);
}

void ReceiveDispatch::DetachFilter() {
    std::lock_guard lock(selectorLock_);
    filterItem_.store(nullptr, std::memory_order_release);
    filterList_.store(nullptr, std::memory_order_release);
}

namespace {

bool IsItemTraffic(const CanFrame& frame, const MenuItemType& item) {
    return frame.Dlc > 0 && FrameMatches(frame, item.deviceId, item.deviceId, item.regId);
}

}  // namespace

bool ReceiveDispatch::ReceiveFilter(const CanFrame& frame) const {
    std::lock_guard lock(selectorLock_);
    bool wanted = false;
    if (const MenuItemType* item = FilterItem(); item != nullptr && IsItemTraffic(frame, *item)) wanted = true;
    if (const WatchList* list = FilterList(); list != nullptr) {
        list->ForEach([&](const MenuItemType& entry) {
            if (IsItemTraffic(frame, entry)) wanted = true;
        });
    }
    return wanted;
}

void ReceiveDispatch::DrainReceived(UcanReadCanMsgFn read, UcanHandle handle, CanFrame& rxFrame) {
    bool queued = false;
    while (read(handle, &rxFrame) == UCAN_OK) {
        rxCount_.fetch_add(1, std::memory_order_relaxed);
        user_.EchoFrame(rxFrame, FrameDirection::Received);
        if (FrameIsErrorReport(rxFrame)) {
            errorQueue.Push(rxFrame);
            continue;
        }
        switch (ReceiveMode()) {
            case kModeOneRegister:
                if (FrameReg(rxFrame) == TargetReg()) {
                    rxQueue.Push(rxFrame);
                    queued = true;
                }
                break;
            case kModeBrowsing:
            case kModeOneItem:
                if (ReceiveFilter(rxFrame)) {
                    rxQueue.Push(rxFrame);
                    queued = true;
                }
                break;
            default:
                break;
        }
    }
    if (queued) {
        if (ReceiveMode() == kModeOneRegister) {
            canAllMsg.Set();
        } else {
            canMsg.Set();
        }
    }
}

}  // namespace tessaline
