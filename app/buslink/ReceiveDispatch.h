// Receive dispatch: the drain that empties the driver's queue on its own thread and
// sorts frames by the process-wide receive mode into RxQueue or ErrorQueue.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "app/MenuItemType.h"
#include "app/UserPort.h"
#include "app/buslink/AutoResetEvent.h"
#include "app/buslink/FrameQueue.h"
#include "app/monitor/WatchList.h"
#include "ucan.h"

namespace tessaline {

// ReceiveMode values.
inline constexpr std::uint8_t kModeOneRegister = 0;
inline constexpr std::uint8_t kModeBrowsing = 1;
inline constexpr std::uint8_t kModeIdle = 3;
inline constexpr std::uint8_t kModeOneItem = 4;

class ReceiveDispatch {
public:
    explicit ReceiveDispatch(UserPort& user) : user_(user) {}

    // Stores the parameters the mode uses, then the mode; the drain reads the mode
    // first, so a drain that sees the new mode also sees its parameters.
    void SetReceiveMode(std::uint8_t mode, MenuItemType* item = nullptr, WatchList* list = nullptr, int reg = 0);
    // Puts back a mode saved earlier without touching its parameters, so a transfer
    // started while browsing returns to the same item and list.
    void RestoreReceiveMode(std::uint8_t mode) { mode_.store(mode, std::memory_order_release); }
    std::uint8_t ReceiveMode() const { return mode_.load(std::memory_order_acquire); }
    int TargetReg() const { return targetReg_.load(std::memory_order_acquire); }
    MenuItemType* FilterItem() const { return filterItem_.load(std::memory_order_acquire); }
    WatchList* FilterList() const { return filterList_.load(std::memory_order_acquire); }

    // Drops the references to menu records (FilterItem, FilterList). When it returns
    // no drain is still looking at them, so the records may be released.
    void DetachFilter();

    void ClearRxQueue() { rxQueue.Clear(); }

    // Reads frames with read(handle, &rxFrame) until it returns non-zero; counts,
    // echoes and sorts each one; sets at most one event afterwards.
    void DrainReceived(UcanReadCanMsgFn read, UcanHandle handle, CanFrame& rxFrame);

    // The test of modes 1 and 4: a data frame to or from the device of FilterItem or
    // of a WatchList entry, with its register.
    bool ReceiveFilter(const CanFrame& frame) const;

    // Frames read from the driver since the last call; read and zeroed in one step.
    std::uint64_t TakeRxCount() { return rxCount_.exchange(0, std::memory_order_relaxed); }
    std::uint64_t RxCount() const { return rxCount_.load(std::memory_order_relaxed); }

    FrameQueue rxQueue;
    FrameQueue errorQueue;
    AutoResetEvent canMsg;     // "CANmsg": frames queued for browsing or one item
    AutoResetEvent canStatus;  // "CANstatus": the driver reported a status change
    AutoResetEvent canAllMsg;  // "CANAllMsg": frames queued in mode 0

private:
    UserPort& user_;
    std::atomic<std::uint8_t> mode_{kModeIdle};
    std::atomic<int> targetReg_{0};
    // Held while the references below are stored and while the drain follows them,
    // so that DetachFilter can guarantee no drain still uses a record. Taken before
    // the WatchList's lock, never while holding it.
    mutable std::mutex selectorLock_;
    std::atomic<MenuItemType*> filterItem_{nullptr};
    std::atomic<WatchList*> filterList_{nullptr};
    std::atomic<std::uint64_t> rxCount_{0};
};

}  // namespace tessaline
