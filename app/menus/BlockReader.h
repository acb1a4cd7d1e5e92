// Reads the records of a device block front to back without ever looking past its
// end: every read either takes what it asks for or fails and takes nothing.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tessaline {

class BlockReader {
public:
    explicit BlockReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t Remaining() const { return bytes_.size(); }

    std::optional<std::uint8_t> Byte() {
        const auto taken = Bytes(1);
        return taken ? std::optional<std::uint8_t>((*taken)[0]) : std::nullopt;
    }

    std::optional<std::uint16_t> Word() {
        const auto taken = Bytes(2);
        if (!taken) return std::nullopt;
        return static_cast<std::uint16_t>((*taken)[0] | ((*taken)[1] << 8));
    }

    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t count) {
        if (count > bytes_.size()) return std::nullopt;
        const auto taken = bytes_.first(count);
        bytes_ = bytes_.subspan(count);
        return taken;
    }

    // The characters of a zero-terminated text, its zero taken as well; nullopt
    // when the block ends before the zero.
    std::optional<std::span<const std::uint8_t>> Text() {
        const auto zero = std::find(bytes_.begin(), bytes_.end(), std::uint8_t{0});
        if (zero == bytes_.end()) return std::nullopt;
        const auto length = static_cast<std::size_t>(zero - bytes_.begin());
        const auto text = bytes_.first(length);
        bytes_ = bytes_.subspan(length + 1);
        return text;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

}  // namespace tessaline
