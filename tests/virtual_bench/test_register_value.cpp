#include <gtest/gtest.h>

#include <vector>

#include "RegisterValue.h"

namespace tessaline::bench {
namespace {

struct EncodeCase {
    DataType type;
    RegisterValue value;
    std::vector<std::uint8_t> bytes;
};

TEST(RegisterValue, EncodesEachTypeLittleEndianInItsOwnSize) {
    const EncodeCase cases[] = {
        {DataType::U8, std::int64_t{200}, {0xC8}},
        {DataType::S8, std::int64_t{-1}, {0xFF}},
        {DataType::U16, std::int64_t{1235}, {0xD3, 0x04}},
        {DataType::S16, std::int64_t{-2}, {0xFE, 0xFF}},
        {DataType::U32, std::int64_t{0xFFFFFFFF}, {0xFF, 0xFF, 0xFF, 0xFF}},
        {DataType::S32, std::int64_t{-50000}, {0xB0, 0x3C, 0xFF, 0xFF}},
        {DataType::Float, 1.5f, {0x00, 0x00, 0xC0, 0x3F}},
        {DataType::Str8, std::string("AB"), {'A', 'B', 0, 0, 0, 0, 0, 0}},
        {DataType::Str8, std::string("ABCDEFGHIJ"), {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}},
        {DataType::U16, 1234.5f, {0xD2, 0x04}},  // halves to even
        {DataType::U8, std::int64_t{0x1FF}, {0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(TypeName(c.type)) + " " + ValueText(c.value));
        std::uint8_t out[8];
        const std::size_t size = EncodeValue(c.type, c.value, out);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + size), c.bytes);
        if (c.type != DataType::Str8 || ValueText(c.value).size() <= 8) {
            EXPECT_EQ(ValueText(DecodeValue(c.type, out, size)), ValueText(Normalize(c.type, c.value)));
        }
    }
}

TEST(RegisterValue, DecodesShortDataWithZerosAndTextsToTheirFirstZero) {
    const std::uint8_t one[] = {0x05};
    EXPECT_EQ(std::get<std::int64_t>(DecodeValue(DataType::U16, one, 1)), 5);
    const std::uint8_t text[] = {'H', 'I', 0, 'X', 0, 0, 0, 0};
    EXPECT_EQ(std::get<std::string>(DecodeValue(DataType::Str8, text, 8)), "HI");
    const std::uint8_t negative[] = {0x80};
    EXPECT_EQ(std::get<std::int64_t>(DecodeValue(DataType::S8, negative, 1)), -128);
}

TEST(RegisterValue, ClampsNumbersToTheirLimitsAndLeavesTextsAlone) {
    EXPECT_EQ(std::get<std::int64_t>(Clamp(DataType::U16, std::int64_t{5000}, std::int64_t{10}, std::int64_t{1000})),
              1000);
    EXPECT_EQ(std::get<std::int64_t>(Clamp(DataType::U16, std::int64_t{3}, std::int64_t{10}, std::int64_t{1000})), 10);
    EXPECT_EQ(std::get<float>(Clamp(DataType::Float, 9.0f, -1.5f, 2.5f)), 2.5f);
    EXPECT_EQ(std::get<std::int64_t>(Clamp(DataType::S8, std::int64_t{-100}, std::int64_t{-5}, std::int64_t{5})), -5);
    EXPECT_EQ(std::get<std::string>(Clamp(DataType::Str8, std::string("xyz"), std::string(), std::string())), "xyz");
}

TEST(RegisterValue, FromNumberHoldsIntegersWithinTheirTypeInsteadOfWrapping) {
    EXPECT_EQ(std::get<std::int64_t>(FromNumber(DataType::U8, 300.0)), 255);
    EXPECT_EQ(std::get<std::int64_t>(FromNumber(DataType::S16, -1e9)), -32768);
    EXPECT_EQ(std::get<std::int64_t>(FromNumber(DataType::U32, 4e9)), 4000000000LL);
    EXPECT_EQ(std::get<std::int64_t>(FromNumber(DataType::S32, 2.5)), 2);
}

}  // namespace
}  // namespace tessaline::bench
