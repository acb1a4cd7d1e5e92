// The connection to the bus through one adapter driver library, chosen by the
// connection type and bound with dlopen from the program's directory.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "app/UserPort.h"
#include "app/buslink/DriverLibrary.h"
#include "app/buslink/ReceiveDispatch.h"
#include "ucan.h"

namespace tessaline {

class BusLink {
public:
    // driverDirectory: where the driver libraries lie, normally the program's folder.
    BusLink(UserPort& user, ReceiveDispatch& dispatch, std::string driverDirectory);
    ~BusLink();
    BusLink(const BusLink&) = delete;
    BusLink& operator=(const BusLink&) = delete;

    void SetConnectionType(int type) { connectionType_.store(type); }
    int ConnectionType() const { return connectionType_.load(); }

    // Opens the adapter at 1 Mbit/s; shows the driver's text and returns false on failure.
    bool ConnectBus();
    // Closes an open connection; nothing when none is open. Never from a driver callback.
    void DisconnectBus();
    bool BusConnected() const { return connected_.load(std::memory_order_acquire); }

    // Builds, echoes and writes one frame. Refuses (code 7, nothing sent) a priority
    // above 3 or a node address above 63; returns 13 without sending while not
    // connected. A non-zero result has been shown to the user already.
    UcanResult SendFrame(std::uint8_t pri, std::uint8_t ds, std::uint8_t sr, std::uint8_t reg, std::uint8_t flags,
                         std::uint8_t dlc, const std::uint8_t (&data)[8]);
    // Same, for frames without data.
    UcanResult SendFrame(std::uint8_t pri, std::uint8_t ds, std::uint8_t sr, std::uint8_t reg, std::uint8_t flags);

    // Reads the CAN status word and shows a text for each bit 0..9 that is set.
    void ShowBusStatus();

    // The driver's callbacks; public so that tests can raise them directly.
    void OnCanEvent(UcanHandle handle, std::uint8_t event);
    void OnConnectControl(std::uint8_t event, std::uint32_t param);

    // The pause before UcanResetCan on disconnect.
    static constexpr std::chrono::milliseconds kDisconnectPause{50};

private:
    // What a sender needs of the bound driver, copied out under the lock so that no
    // driver call is made while holding it.
    struct Binding {
        DriverEntryPoints entry;
        UcanHandle handle;
    };
    std::optional<Binding> CurrentBinding() const;
    void ReleaseDriver();
    void ReportCode(UcanResult code);

    UserPort& user_;
    ReceiveDispatch& dispatch_;
    const std::string driverDirectory_;
    std::atomic<int> connectionType_{2};
    std::atomic<bool> connected_{false};

    // Guards the binding below: written on the GUI thread by connect and disconnect,
    // read by senders on any thread. The drain reads it without the lock: it runs
    // only between UcanInitCan and UcanDeinitCan, when nobody writes it.
    mutable std::mutex bindingLock_;
    std::optional<DriverEntryPoints> driver_;
    // The handle byte and the drain's frame exist from connect to ReleaseDriver.
    std::optional<UcanHandle> handle_;
    std::optional<CanFrame> rxFrame_;
};

}  // namespace tessaline
