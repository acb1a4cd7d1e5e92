// The check word of device blocks (menu list, error list, data file): a CRC-16 in
// its XMODEM form (polynomial 0x1021, MSB first, no reflection, no final inversion),
// stored least significant byte first in bytes 0..1 ahead of the payload it covers.
//
//   BlockCrc(0, "..123456789", 9) == 0x31C3
//   BlockCrc(0, "..abc", 3)       == 0x9DD6
//   D6 9D 61 62 63                   is a valid block ("abc" with its check word)
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tessaline {

// The CRC of count bytes of block starting at offset 2 (after the check word),
// continuing from initial, so a block checked in pieces gives the value of the whole.
std::uint16_t BlockCrc(std::uint16_t initial, const std::uint8_t* block, std::size_t count);

// True when bytes 0..1 hold the CRC of the rest. A block of 2 bytes is an empty,
// valid block when both are 0; a shorter one has no check word and is never valid.
bool BlockIsValid(const std::vector<std::uint8_t>& block);

// The block that carries payload: its check word followed by the payload.
std::vector<std::uint8_t> SealBlock(std::span<const std::uint8_t> payload);

}  // namespace tessaline
