#include "app/menus/DeviceText.h"

namespace tessaline {

std::string TextFromDevice(std::span<const std::uint8_t> bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const std::uint8_t b : bytes) {
        if (b < 0x80) {
            text.push_back(static_cast<char>(b));
        } else {
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

std::string TextToDevice(std::string_view text, std::size_t maxChars) {
    std::string bytes;
    std::size_t i = 0;
    while (i < text.size() && bytes.size() < maxChars) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            bytes.push_back(static_cast<char>(lead));
            ++i;
            continue;
        }
        // Two-byte sequences up to U+00FF have a device byte; anything else does not.
        const bool latin1 = (lead == 0xC2 || lead == 0xC3) && i + 1 < text.size() &&
                            (static_cast<std::uint8_t>(text[i + 1]) & 0xC0) == 0x80;
        if (latin1) {
            bytes.push_back(static_cast<char>(((lead & 0x03) << 6) | (static_cast<std::uint8_t>(text[i + 1]) & 0x3F)));
            i += 2;
            continue;
        }
        bytes.push_back('?');
        // Skip the continuation bytes of the character that has no device byte.
        ++i;
        while (i < text.size() && (static_cast<std::uint8_t>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return bytes;
}

}  // namespace tessaline
