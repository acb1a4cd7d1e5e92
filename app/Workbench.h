// The workbench core object: the shared lists, queues and the bus link that the
// main window (or the console tool) owns for the whole run.
#pragma once

#include <string>

#include "app/ErrItemType.h"
#include "app/MenuItemType.h"
#include "app/UserPort.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/ReceiveDispatch.h"
#include "app/buslink/TransferBuffer.h"
#include "app/menus/DeviceTable.h"
#include "app/menus/MenuCapture.h"
#include "app/monitor/WatchList.h"

namespace tessaline {

class Workbench {
public:
    Workbench(UserPort& userPort, std::string driverDirectory)
        : user(userPort), dispatch(userPort), link(userPort, dispatch, std::move(driverDirectory)) {}
    ~Workbench() { dispatch.DetachFilter(); }

    MenuCapture::Shared CaptureShared() { return {user, link, dispatch, buffer, devices, items, errors}; }

    UserPort& user;
    ReceiveDispatch dispatch;
    TransferBuffer buffer;
    DeviceTable devices;
    ItemList items;
    ErrorItemList errors;
    WatchList watch;
    // Declared last so that it is destroyed first: its destructor closes the
    // connection while the records the drain may look at still exist.
    BusLink link;
};

}  // namespace tessaline
