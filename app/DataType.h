// The data type of a register: its code in menu files, its names and its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessaline {

enum class DataType : std::uint8_t { U8, S8, U16, S16, U32, S32, Float, Str8, Menu };

// Menu files carry codes 0..7; Menu (8) only ever marks a group header.
inline constexpr std::uint8_t kLastValueTypeCode = 7;

// Bytes of a value of this type on the bus and in device blocks; 0 for Menu.
constexpr std::size_t DataTypeSize(DataType type) {
    switch (type) {
        case DataType::U8:
        case DataType::S8: return 1;
        case DataType::U16:
        case DataType::S16: return 2;
        case DataType::U32:
        case DataType::S32:
        case DataType::Float: return 4;
        case DataType::Str8: return 8;
        case DataType::Menu: break;
    }
    return 0;
}

// The type column of CSV files; empty for Menu.
constexpr std::string_view DataTypeShortName(DataType type) {
    switch (type) {
        case DataType::U8: return "u8";
        case DataType::S8: return "s8";
        case DataType::U16: return "u16";
        case DataType::S16: return "s16";
        case DataType::U32: return "u32";
        case DataType::S32: return "s32";
        case DataType::Float: return "float";
        case DataType::Str8: return "str8";
        case DataType::Menu: break;
    }
    return {};
}

// As the watch list shows it.
constexpr std::string_view DataTypeLongName(DataType type) {
    switch (type) {
        case DataType::U8: return "unsigned 8-bit";
        case DataType::S8: return "signed 8-bit";
        case DataType::U16: return "unsigned 16-bit";
        case DataType::S16: return "signed 16-bit";
        case DataType::U32: return "unsigned 32-bit";
        case DataType::S32: return "signed 32-bit";
        case DataType::Float: return "float";
        case DataType::Str8: return "str8";
        case DataType::Menu: return "Menu";
    }
    return {};
}

// The integer types whose float print formats divide by a power of ten.
constexpr bool IsIntegerType(DataType type) { return type <= DataType::S32; }

}  // namespace tessaline
