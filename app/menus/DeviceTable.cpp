#include "app/menus/DeviceTable.h"

#include <algorithm>

#include "app/UserPort.h"
#include "app/menus/DeviceText.h"

namespace tessaline {

std::string DeviceName(const DeviceTable& table, std::uint8_t id) {
    if (id == kSourceAdapter) return "USBCAN";
    const auto entry = std::find_if(table.begin(), table.end(), [id](const DeviceEntry& e) { return e.id == id; });
    return entry == table.end() ? std::string{} : entry->name;
}

std::string PaddedDeviceName(const std::uint8_t* data, std::uint8_t count) {
    // A zero byte ends the name, as it ends any device text; it must not show.
    const auto* end = std::find(data, data + std::min<std::size_t>(count, 8), std::uint8_t{0});
    const auto characters = static_cast<std::size_t>(end - data);
    // One device byte is one character, however many bytes it takes in the workbench.
    return TextFromDevice({data, characters}) + std::string(8 - characters, ' ');
}

}  // namespace tessaline
