// The two blocks a device describes itself with, both behind a check word (see
// BlockCrc.h), all numbers little-endian, texts zero-terminated single bytes:
//
// Menu list, one record per register, back to back:
//   reg u8 | menu byte u8 | type u8 (0..7) | rights u8 | min, max (type's size each)
//   | short name (at most 16 characters) | print format | name
//   e.g. 05 00 02 0C  00 00  E8 03  'S' 'p' 'd' 00  '%' 'd' 00  'S' 'p' 'e' 'e' 'd' 00
//        register 5, top level, u16, user read/write, 0..1000, "Spd", "%d", "Speed"
//
// Error list, one record per error bit group:
//   mask u16 | name | text
//   e.g. 01 00  'O' 'V' 00  'O' 'v' 'e' 'r' 'v' 'o' 'l' 't' 'a' 'g' 'e' 00
//
// Both parsers are pure: they read the block, append to the list and return the
// result; they send nothing.
#pragma once

#include <cstdint>
#include <string>

#include "app/ErrItemType.h"
#include "app/MenuItemType.h"
#include "app/buslink/TransferBuffer.h"
#include "app/menus/DeviceTable.h"

namespace tessaline {

enum class MenuParseResult : std::uint8_t {
    Parsed = 0,
    CrcError = 1,          // also a block of 1 byte, which cannot hold a check word
    NoData = 2,            // an empty block
    InvalidStructure = 3,  // menu list only: a short name over 16 characters, or a
                           // record cut off by the end of the block
};

// "CRC error", "No data", "Invalid file stucture"; empty for Parsed.
std::string ParseResultText(MenuParseResult result);

// Appends the records of a menu list to items, with deviceId and the device's name
// from devices. A record with a type code above 7 ends the list quietly (Parsed); an
// invalid one ends it with InvalidStructure. Either way the records before it stay.
// Fewer than 9 bytes after the last record are ignored. A block that fails its check
// adds nothing.
MenuParseResult ParseMenuFile(const TransferBuffer& block, std::uint8_t deviceId, const DeviceTable& devices,
                              ItemList& items);

// Appends the records of an error list to errors. A record cut off by the end of the
// block ends the list quietly (Parsed), keeping the records before it. A block that
// fails its check adds nothing.
// On Parsed the caller switches the device's error reports on: Reg 2, Fl 0xC0.
MenuParseResult ParseErrorList(const TransferBuffer& block, std::uint8_t deviceId, ErrorItemList& errors);

}  // namespace tessaline
