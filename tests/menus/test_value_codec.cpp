#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/menus/DeviceText.h"
#include "app/menus/ValueCodec.h"

namespace tessaline {
namespace {

struct DecodeCase {
    DataType type;
    std::vector<std::uint8_t> bytes;
    TaggedValue value;
};

TEST(DecodeValue, IntegersOfTheTypesWidthAndSignedness) {
    const DecodeCase cases[] = {
        {DataType::U8, {0xFF, 0x12}, std::int64_t{255}},
        {DataType::S8, {0xFF}, std::int64_t{-1}},
        {DataType::U16, {0xD3, 0x04}, std::int64_t{1235}},
        {DataType::S16, {0xFE, 0xFF}, std::int64_t{-2}},
        {DataType::U32, {0xFF, 0xFF, 0xFF, 0xFF}, std::int64_t{4294967295LL}},
        {DataType::S32, {0x00, 0x00, 0x00, 0x80}, std::int64_t{-2147483648LL}},
        {DataType::Float, {0x00, 0x00, 0xC0, 0x3F}, 1.5},
        {DataType::Str8, {'A', 'B', 0, 0, 0, 0, 0, 0}, std::string("AB")},
        {DataType::Str8, {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, std::string("12345678")},
        {DataType::Str8, {'A', 0, 'B'}, std::string("A")},
        {DataType::Str8, {0xB5, 'A'}, std::string("\xC2\xB5" "A")},
        {DataType::Menu, {1, 2, 3}, TaggedValue{}},
        // Missing bytes read as 0.
        {DataType::U16, {0x05}, std::int64_t{5}},
        {DataType::S16, {0xFF}, std::int64_t{255}},
        {DataType::U32, {}, std::int64_t{0}},
        {DataType::Str8, {'O', 'K'}, std::string("OK")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeValue(c.type, c.bytes), c.value) << DataTypeShortName(c.type);
    }
}

struct EncodeCase {
    DataType type;
    TaggedValue value;
    std::vector<std::uint8_t> bytes;
};

TEST(EncodeValue, ConvertsToTheTypeAndKeepsTheLowBits) {
    const EncodeCase cases[] = {
        {DataType::U16, 1234.6, {0xD3, 0x04}},
        {DataType::S8, std::int64_t{-1}, {0xFF}},
        {DataType::S8, -1.0, {0xFF}},
        {DataType::U8, std::int64_t{0x1234}, {0x34}},
        {DataType::U8, 2.5, {0x02}},  // halves to even
        {DataType::U8, 3.5, {0x04}},
        {DataType::S16, -2.5, {0xFE, 0xFF}},
        {DataType::U32, std::int64_t{4294967295LL}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {DataType::S32, std::int64_t{-2}, {0xFE, 0xFF, 0xFF, 0xFF}},
        {DataType::U32, 1e30, {0xFF, 0xFF, 0xFF, 0xFF}},  // saturated, then low bits
        {DataType::U16, std::string("300"), {0x2C, 0x01}},
        {DataType::U16, TaggedValue{}, {0x00, 0x00}},
        {DataType::Float, 1.5, {0x00, 0x00, 0xC0, 0x3F}},
        {DataType::Float, std::int64_t{-2}, {0x00, 0x00, 0x00, 0xC0}},
        {DataType::Str8, std::string("ABCDEFGHIJ"), {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
        {DataType::Str8, std::string("AB"), {'A', 'B', 0, 0, 0, 0, 0, 0}},
        {DataType::Str8, std::int64_t{42}, {'4', '2', 0, 0, 0, 0, 0, 0}},
        {DataType::Str8, std::string("\xC2\xB0" "C\xE2\x82\xAC"), {0xB0, 'C', '?', 0, 0, 0, 0, 0}},
        {DataType::Menu, std::int64_t{1}, {}},
    };
    for (const auto& c : cases) {
        MenuItemType item;
        item.type = c.type;
        item.SetValue(c.value);
        const EncodedValue encoded = EncodeValue(item);
        EXPECT_EQ(std::vector<std::uint8_t>(encoded.bytes, encoded.bytes + encoded.length), c.bytes)
            << DataTypeShortName(c.type);
    }
}

TEST(EncodeValue, DecodesBackToTheSameValue) {
    const std::pair<DataType, TaggedValue> cases[] = {
        {DataType::U8, std::int64_t{200}},        {DataType::S8, std::int64_t{-100}},
        {DataType::U16, std::int64_t{65535}},     {DataType::S16, std::int64_t{-32768}},
        {DataType::U32, std::int64_t{123456789}}, {DataType::S32, std::int64_t{-123456789}},
        {DataType::Float, -0.25},                 {DataType::Str8, std::string("\xC2\xB5Volt")},
    };
    for (const auto& [type, value] : cases) {
        MenuItemType item;
        item.type = type;
        item.SetValue(value);
        const EncodedValue encoded = EncodeValue(item);
        EXPECT_EQ(encoded.length, DataTypeSize(type));
        EXPECT_EQ(DecodeValue(type, std::span(encoded.bytes, encoded.length)), value) << DataTypeShortName(type);
    }
}

TEST(DeviceText, InvalidUtf8BecomesOneQuestionMarkPerCharacter) {
    EXPECT_EQ(TextToDevice("a\xFF" "b", 8), "a?b");
    EXPECT_EQ(TextToDevice("\xE2\x82\xAC\xE2\x82\xAC", 8), "??") << "two euro signs";
    EXPECT_EQ(TextToDevice("x\xC3", 8), "x?") << "a lead byte cut off at the end";
    EXPECT_EQ(TextToDevice("\xC3\xA9\xC3\xA9\xC3\xA9", 2), "\xE9\xE9");
}

TEST(DataType, NamesAndSizes) {
    const struct {
        DataType type;
        const char* shortName;
        const char* longName;
        std::size_t size;
    } cases[] = {
        {DataType::U8, "u8", "unsigned 8-bit", 1},     {DataType::S8, "s8", "signed 8-bit", 1},
        {DataType::U16, "u16", "unsigned 16-bit", 2},  {DataType::S16, "s16", "signed 16-bit", 2},
        {DataType::U32, "u32", "unsigned 32-bit", 4},  {DataType::S32, "s32", "signed 32-bit", 4},
        {DataType::Float, "float", "float", 4},        {DataType::Str8, "str8", "str8", 8},
        {DataType::Menu, "", "Menu", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DataTypeShortName(c.type), c.shortName);
        EXPECT_EQ(DataTypeLongName(c.type), c.longName);
        EXPECT_EQ(DataTypeSize(c.type), c.size) << c.longName;
    }
}

}  // namespace
}  // namespace tessaline
