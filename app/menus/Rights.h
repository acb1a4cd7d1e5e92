// The rights byte of a register and its letter form. Levels in the order "AUS"
// (Advanced, User, Service); a letter for each level that may read, followed by "r"
// when it may not write.
//
//   0x3F -> "AUS"   0x2A -> "ArUrSr"   0x0E -> "USr"   0x00 -> ""   0x7F -> "AUS,NV" (watch list)
//   "SrArUr" -> 0x2A   "AUS" -> 0x3F
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaline {

namespace rights {
inline constexpr std::uint8_t ServiceWrite = 0x01;
inline constexpr std::uint8_t ServiceRead = 0x02;
inline constexpr std::uint8_t UserWrite = 0x04;
inline constexpr std::uint8_t UserRead = 0x08;
inline constexpr std::uint8_t AdvancedWrite = 0x10;
inline constexpr std::uint8_t AdvancedRead = 0x20;
inline constexpr std::uint8_t Nonvolatile = 0x40;  // may be programmed into the device's NV memory
}  // namespace rights

std::string RightsText(std::uint8_t rights);
// The watch list's form: RightsText followed by ",NV" when the NV bit is set.
std::string RightsTextWithNv(std::uint8_t rights);
// The first "A", "U" and "S" each give both bits of their level, or only the read
// bit when an "r" follows; other characters are ignored.
std::uint8_t RightsFromText(std::string_view text);

}  // namespace tessaline
