// Device texts are single bytes of ISO 8859-1; the workbench keeps texts in UTF-8.
//
//   TextFromDevice({0xB0, 'C'})  == "\xC2\xB0" "C"   (degree sign)
//   TextToDevice("\xC2\xB5" "A", 8) == {0xB5, 'A'}     (micro sign)
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tessaline {

std::string TextFromDevice(std::span<const std::uint8_t> bytes);

// At most maxChars single-byte characters; a character the device cannot hold, or
// a byte that is not valid UTF-8, becomes '?'.
std::string TextToDevice(std::string_view text, std::size_t maxChars);

}  // namespace tessaline
