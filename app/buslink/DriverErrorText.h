// Message texts of driver result codes and of the CAN status bits.
#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

// The text of a driver result code; empty for 0 and unknown codes.
std::string DriverErrorText(std::uint8_t code);

// The text of bit 0..9 of the CAN status word; empty for other bits.
std::string CanStatusText(unsigned bit);

inline constexpr const char* kNoCanErrorsText = "No CAN errors";

}  // namespace tessaline
