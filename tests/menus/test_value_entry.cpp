#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "app/menus/PrintFormat.h"
#include "app/menus/ValueConvert.h"
#include "app/menus/ValueEntry.h"

namespace tessaline {
namespace {

TEST(ValueFromText, DecimalNumberTimesScaleAsAFloat) {
    const struct {
        std::string format;
        DataType type;
        std::string text;
        std::optional<TaggedValue> value;
    } cases[] = {
        {"%.2f V", DataType::U16, "1.25", TaggedValue{125.0}},
        {"%d", DataType::U16, "42", TaggedValue{42.0}},
        {"%d", DataType::S16, " -7 ", TaggedValue{-7.0}},
        {"%d", DataType::S16, "+7", TaggedValue{7.0}},
        {"%.1f", DataType::Float, "1e3", TaggedValue{1000.0}},
        {"%.1f", DataType::S16, ".5", TaggedValue{5.0}},
        {"[A,B]", DataType::U8, "1", TaggedValue{1.0}},
        {"%s", DataType::Str8, "12,5", TaggedValue{std::string("12,5")}},
        // Conversion errors.
        {"%d", DataType::U16, "1,25", std::nullopt},
        {"%d", DataType::U16, "", std::nullopt},
        {"%d", DataType::U16, "abc", std::nullopt},
        {"%d", DataType::U16, "12abc", std::nullopt},
        {"%d", DataType::U16, "0x10", std::nullopt},
        {"%d", DataType::U16, "inf", std::nullopt},
        {"%d", DataType::U16, "nan", std::nullopt},
        {"%d", DataType::U16, "1e999", std::nullopt},
        {"%d", DataType::U16, "+-1", std::nullopt},
        {"%d", DataType::U16, "1 000", std::nullopt},
    };
    for (const auto& c : cases) {
        MenuItemType item;
        item.printFormat = c.format;
        item.type = c.type;
        ParsePrintFormat(item);
        EXPECT_EQ(ValueFromText(item, c.text), c.value) << c.format << " / " << c.text;
    }
}

TEST(Clamp, NumericAcrossIntegersAndFloats) {
    MenuItemType item;
    item.minValue = std::int64_t{-10};
    item.maxValue = std::int64_t{100};
    const struct {
        TaggedValue value;
        TaggedValue clamped;
    } cases[] = {
        {100.5, std::int64_t{100}},
        {std::int64_t{101}, std::int64_t{100}},
        {-10.0001, std::int64_t{-10}},
        {std::int64_t{-11}, std::int64_t{-10}},
        {100.0, 100.0},
        {std::int64_t{50}, std::int64_t{50}},
        {std::string("999"), std::string("999")},
        {TaggedValue{}, TaggedValue{}},
    };
    for (const auto& c : cases) EXPECT_EQ(Clamp(item, c.value), c.clamped) << ToText(c.value);

    item.minValue = 0.5;
    item.maxValue = 1.5;
    EXPECT_EQ(Clamp(item, std::int64_t{2}), TaggedValue{1.5});
    EXPECT_EQ(Clamp(item, std::int64_t{0}), TaggedValue{0.5});
    EXPECT_EQ(Clamp(item, std::int64_t{1}), TaggedValue{std::int64_t{1}});
}

TEST(Clamp, LimitsThatAreNoNumbersDoNotLimit) {
    MenuItemType item;
    item.type = DataType::Str8;
    item.minValue = std::string("AAAA");
    item.maxValue = std::string("ZZZZ");
    EXPECT_EQ(Clamp(item, 5.0), TaggedValue{5.0});
    item.minValue = TaggedValue{};
    item.maxValue = std::int64_t{3};
    EXPECT_EQ(Clamp(item, -5.0), TaggedValue{-5.0});
    EXPECT_EQ(Clamp(item, 5.0), TaggedValue{std::int64_t{3}});
}

TEST(ValueConvert, IntegersRoundHalvesToEven) {
    const struct {
        TaggedValue value;
        std::int64_t integer;
    } cases[] = {
        {0.5, 0},           {1.5, 2},         {2.5, 2},       {-2.5, -2},         {-3.5, -4},
        {1234.6, 1235},     {TaggedValue{}, 0}, {std::string("2.5"), 2}, {std::string("x"), 0},
        {1e300, INT64_MAX}, {-1e300, INT64_MIN}, {std::nan(""), 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ToInteger(c.value), c.integer) << ToText(c.value);
}

TEST(ValueConvert, TextsOfValues) {
    EXPECT_EQ(ToText(TaggedValue{}), "");
    EXPECT_EQ(ToText(std::int64_t{-12}), "-12");
    EXPECT_EQ(ToText(-0.5), "-0.5");
    EXPECT_EQ(ToText(0.1), "0.1");
    EXPECT_EQ(ToText(std::string("abc")), "abc");
}

}  // namespace
}  // namespace tessaline
