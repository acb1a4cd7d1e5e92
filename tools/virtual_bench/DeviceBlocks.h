// The byte blocks a device hands over by block download: its menu list
// (register 1), its error list (register 4) and its data file (register 7).
// Every block starts with its check word, least significant byte first.
//
// Menu record:  reg, menu byte, type, rights, min, max (size of the type each),
//               short name\0, print format\0, name\0
// Error record: mask (u16), name\0, text\0
#pragma once

#include <cstdint>
#include <vector>

#include "BenchDescription.h"

namespace tessaline::bench {

using Block = std::vector<std::uint8_t>;

Block BuildMenuBlock(const std::vector<MenuEntry>& menu);
Block BuildErrorBlock(const std::vector<ErrorEntry>& errors);

}  // namespace tessaline::bench
