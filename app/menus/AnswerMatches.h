// Recognises a received frame as the value of an item and stores it there.
#pragma once

#include <cstdint>

#include "app/MenuItemType.h"
#include "ucan.h"

namespace tessaline {

// True, with the item's value replaced by the frame's, when frame is a value frame
// of the item's register from its device: FrameMatches(frame, destination, deviceId,
// regId), neither W nor Q, at least one data byte. destination 63 takes only answers
// to the workbench, 255 a value sent to any node. No item, and a group header (its
// register 255 would match every register), never match.
bool AnswerMatches(MenuItemType* item, const CanFrame& frame, std::uint8_t destination);

}  // namespace tessaline
