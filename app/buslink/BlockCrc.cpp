#include "app/buslink/BlockCrc.h"

#include <algorithm>
#include <array>

namespace tessaline {

namespace {

constexpr std::size_t kCheckWordSize = 2;

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t i = 0; i < table.size(); ++i) {
        std::uint32_t crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000u) ? (crc << 1) ^ 0x1021u : crc << 1;
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x1021 && kCrcTable[2] == 0x2042 && kCrcTable[255] == 0x1EF0);

}  // namespace

std::uint16_t BlockCrc(std::uint16_t initial, const std::uint8_t* block, std::size_t count) {
    std::uint16_t crc = initial;
    const std::uint8_t* payload = block + kCheckWordSize;
    for (std::size_t i = 0; i < count; ++i) {
        crc = static_cast<std::uint16_t>(kCrcTable[((crc >> 8) ^ payload[i]) & 0xFFu] ^ (crc << 8));
    }
    return crc;
}

bool BlockIsValid(const std::vector<std::uint8_t>& block) {
    if (block.size() < kCheckWordSize) return false;
    const auto stored = static_cast<std::uint16_t>(block[0] | (block[1] << 8));
    return stored == BlockCrc(0, block.data(), block.size() - kCheckWordSize);
}

std::vector<std::uint8_t> SealBlock(std::span<const std::uint8_t> payload) {
    std::vector<std::uint8_t> block(kCheckWordSize + payload.size());
    std::copy(payload.begin(), payload.end(), block.begin() + kCheckWordSize);
    const std::uint16_t crc = BlockCrc(0, block.data(), payload.size());
    block[0] = static_cast<std::uint8_t>(crc & 0xFFu);
    block[1] = static_cast<std::uint8_t>(crc >> 8);
    return block;
}

}  // namespace tessaline
