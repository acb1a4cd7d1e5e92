// Listening to, reading and writing one register through its menu record.
#pragma once

#include "app/MenuItemType.h"
#include "app/buslink/BusLink.h"

namespace tessaline {

// Counts one more party listening to item and asks the device to send its value
// whenever it changes (not for a group header; nothing is sent for device 255).
void StartListening(BusLink& link, MenuItemType& item);

// Takes one listening party back; the last one asks the device to stop.
// Nothing without an item, for a group header, or when nobody listens.
void StopListening(BusLink& link, MenuItemType* item);

// Sends the item's value to its register; program also keeps it in the device's
// nonvolatile memory. Nothing while disconnected, without an item or for a group header.
void WriteItem(BusLink& link, MenuItemType* item, bool program);

}  // namespace tessaline
