#include "app/menus/RegisterAccess.h"

#include "app/buslink/FrameId.h"
#include "app/menus/ValueCodec.h"

namespace tessaline {

namespace {

constexpr std::uint8_t kNoDevice = 255;

}  // namespace

void StartListening(BusLink& link, MenuItemType& item) {
    if (item.IsGroupHeader()) return;
    item.requestCount.fetch_add(1);  // a byte: counts modulo 256
    if (item.deviceId == kNoDevice) return;
    link.SendFrame(kWorkbenchPriority, item.deviceId, kPcNode, item.regId, fl::Rtr | fl::R);
}

void StopListening(BusLink& link, MenuItemType* item) {
    if (item == nullptr || item->IsGroupHeader()) return;
    // The GUI thread and the watch worker both count; never take the count below 0.
    std::uint8_t count = item->requestCount.load();
    do {
        if (count == 0) return;
    } while (!item->requestCount.compare_exchange_weak(count, static_cast<std::uint8_t>(count - 1)));
    if (count == 1) link.SendFrame(kWorkbenchPriority, item->deviceId, kPcNode, item->regId, fl::Rtr);
}

void WriteItem(BusLink& link, MenuItemType* item, bool program) {
    if (!link.BusConnected() || item == nullptr || item->IsGroupHeader()) return;
    const EncodedValue encoded = EncodeValue(*item);
    const std::uint8_t flags = program ? (fl::N | fl::Q | fl::W) : (fl::Q | fl::W);
    link.SendFrame(kWorkbenchPriority, item->deviceId, kPcNode, item->regId, flags, encoded.length, encoded.bytes);
}

}  // namespace tessaline
