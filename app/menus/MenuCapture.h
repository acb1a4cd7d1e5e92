// The bus scan, the menu download and the one-off reading of every register, as
// the "Devices Scan" window runs them: a state machine driven by a 100 ms timer
// that calls Tick(), so it runs the same behind a window, a console or a test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/MenuItemType.h"
#include "app/UserPort.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/ReceiveDispatch.h"
#include "app/buslink/TransferBuffer.h"
#include "app/menus/DeviceTable.h"
#include "app/ErrItemType.h"

namespace tessaline {

inline constexpr std::uint8_t kNoNode = 254;

class MenuCapture {
public:
    struct Shared {
        UserPort& user;
        BusLink& link;
        ReceiveDispatch& dispatch;
        TransferBuffer& buffer;
        DeviceTable& devices;
        ItemList& items;
        ErrorItemList& errors;
    };

    // What the window does once a scan is over.
    enum class ScanOutcome { NoDevices, OneDevice, Choose };

    // Ticks of silence that end the scan or a register read.
    static constexpr int kCountdownTicks = 10;

    explicit MenuCapture(Shared shared) : s_(shared) {}

    // Probes every address 0..62. Returns false when a probe could not be sent: the
    // scan is abandoned and the device table is left as it was.
    bool StartScan();
    // Starts reading every readable item once; false (and nothing sent) with no items.
    bool StartReadAll();
    // The 100 ms timer.
    void Tick();

    bool Scanning() const { return scanning_; }
    bool Reading() const { return reading_; }

    // After the scan: sorts the table; with no device shows the error dialog.
    ScanOutcome FinishScan();
    // One line per device of the table: "ID=", the ID, three spaces, the name.
    std::vector<std::string> DeviceLines() const;

    // Downloads and parses the menu and error list of each device, in this order.
    // Blocks while the transfers run. The records loaded before are released, so
    // whoever refers to them (current item, watch list) drops them first.
    void Load(const std::vector<std::uint8_t>& ids);

    const std::string& Status() const { return status_; }
    std::uint8_t CurrentNode() const { return currentNode_; }
    MenuItemType* CurrentItem() const { return currentItem_; }

private:
    void ScanTick();
    void ReadTick();
    void SetStatus(std::string text);

    Shared s_;
    bool scanning_ = false;
    bool reading_ = false;
    int countdown_ = 0;
    std::size_t readIndex_ = 0;
    std::string status_;
    std::uint8_t currentNode_ = kNoNode;
    MenuItemType* currentItem_ = nullptr;
};

}  // namespace tessaline
