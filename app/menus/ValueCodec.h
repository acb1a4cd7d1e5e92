// Register values as bytes, in menu files and frame data alike: integers and floats
// little-endian in exactly the type's size, floats as IEEE single, str8 as 8 bytes
// of text that end at the first zero byte.
//
//   u16 value 1234.6  -> D3 04                (rounded to 1235)
//   s8  value -1      -> FF
//   str8 "ABCDEFGHIJ" -> 41 42 43 44 45 46 47 48
//   s16 from FE FF    -> -2;  u16 from the single byte 05 -> 5
#pragma once

#include <cstdint>
#include <span>

#include "app/MenuItemType.h"

namespace tessaline {

// An integer of exactly the type's width and signedness, a float or a text; nothing
// for Menu. Bytes beyond data (a short frame, the end of a block) read as 0.
TaggedValue DecodeValue(DataType type, std::span<const std::uint8_t> data);

struct EncodedValue {
    std::uint8_t bytes[8]{};
    std::uint8_t length = 0;  // the type's size; 0 for Menu
};

// The item's value converted to its type: integers rounded (halves to even) and cut
// to their low 8, 16 or 32 bits, floats to single precision, texts cut to 8
// characters and padded with zero bytes.
EncodedValue EncodeValue(const MenuItemType& item);

}  // namespace tessaline
