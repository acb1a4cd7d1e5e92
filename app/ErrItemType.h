// One entry of a device's error list: the text of one or more bits of its error register.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

struct ErrItemType {
    std::uint8_t deviceId = 0;
    std::uint16_t errorMask = 0;  // bits of the device's error register (register 2)
    std::string errorName;
    std::string errorText;
};

// The entries of every loaded device, in load order.
using ErrorItemList = std::vector<ErrItemType>;

}  // namespace tessaline
