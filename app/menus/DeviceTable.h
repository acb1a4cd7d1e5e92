// The devices that answered the last bus scan.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessaline {

struct DeviceEntry {
    std::uint8_t id = 0;
    std::string name;  // always 8 characters, padded with spaces
    std::uint16_t errorMask = 0;
};

// In ascending ID order once a scan is over.
using DeviceTable = std::vector<DeviceEntry>;

// 253 is the adapter, "USBCAN"; other IDs give the name of their entry, or the
// empty text when the table has none.
std::string DeviceName(const DeviceTable& table, std::uint8_t id);

// The name as a scan answer carries it: its data bytes followed by spaces up to 8.
std::string PaddedDeviceName(const std::uint8_t* data, std::uint8_t count);

}  // namespace tessaline
