#include "app/menus/AnswerMatches.h"

#include <algorithm>
#include <span>

#include "app/buslink/FrameId.h"
#include "app/menus/ValueCodec.h"

namespace tessaline {

bool AnswerMatches(MenuItemType* item, const CanFrame& frame, std::uint8_t destination) {
    if (item == nullptr || item->IsGroupHeader()) return false;
    if (!FrameMatches(frame, destination, item->deviceId, item->regId)) return false;
    if ((FrameFlags(frame) & (fl::W | fl::Q)) != 0 || frame.Dlc == 0) return false;
    const std::size_t count = std::min<std::size_t>(frame.Dlc, sizeof frame.Data);
    item->SetValue(DecodeValue(item->type, std::span(frame.Data, count)));
    return true;
}

}  // namespace tessaline
