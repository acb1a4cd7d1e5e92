#include <gtest/gtest.h>

#include <string>

#include "app/menus/PrintFormat.h"
#include "app/menus/ValueText.h"

namespace tessaline {
namespace {

void Prepare(MenuItemType& item, const std::string& format, DataType type) {
    item.printFormat = format;
    item.type = type;
    ParsePrintFormat(item);
}

struct DeriveCase {
    std::string format;
    DataType type;
    DisplayKind kind;
    std::string prefix;
    std::int32_t scale;
    std::string unit;
};

TEST(ParsePrintFormat, DerivesKindPrefixScaleAndUnit) {
    const DeriveCase cases[] = {
        {"%d rpm", DataType::U16, DisplayKind::Integer, "%d", 1, "rpm"},
        {"%6.2f V", DataType::U16, DisplayKind::Scaled, "%6.2f", 100, "V"},
        {"%.1f", DataType::S16, DisplayKind::Scaled, "%.1f", 10, ""},
        {"%.9e", DataType::S32, DisplayKind::Scaled, "%.9e", 1000000000, ""},
        {"%.0g", DataType::U8, DisplayKind::Scaled, "%.0g", 1, ""},
        {"%5f", DataType::U8, DisplayKind::Scaled, "%5f", 1, ""},
        {"%.3f", DataType::Float, DisplayKind::Float, "%.3f", 1, ""},
        {"%.3f mA", DataType::Str8, DisplayKind::None, "%.3f", 1, "mA"},
        {"%s", DataType::Str8, DisplayKind::Text, "%s", 1, ""},
        {"%x", DataType::U16, DisplayKind::Integer, "%x", 1, ""},
        {"%u  \t kg  ", DataType::U32, DisplayKind::Integer, "%u", 1, "kg"},
        {"%d%", DataType::U8, DisplayKind::Integer, "%d", 1, "%"},
        {"%5.2", DataType::U16, DisplayKind::None, "", 1, ""},
        {"rpm %d", DataType::U16, DisplayKind::None, "", 1, ""},
        {"", DataType::U16, DisplayKind::None, "", 1, ""},
        // The letter search runs over the whole text: the prefix is what precedes it.
        {"%lld", DataType::U16, DisplayKind::Integer, "%lld", 1, ""},
        {"%  speed", DataType::U16, DisplayKind::Text, "%  s", 1, "peed"},
    };
    for (const auto& c : cases) {
        MenuItemType item;
        Prepare(item, c.format, c.type);
        EXPECT_EQ(item.displayKind, c.kind) << c.format;
        EXPECT_EQ(item.formatPrefix, c.prefix) << c.format;
        EXPECT_EQ(item.scale, c.scale) << c.format;
        EXPECT_EQ(item.unit, c.unit) << c.format;
    }
}

TEST(ParsePrintFormat, EnumerationNames) {
    MenuItemType item;
    Prepare(item, "[Off,On,Auto]", DataType::U8);
    EXPECT_EQ(item.displayKind, DisplayKind::Enumeration);
    EXPECT_EQ(item.unit, "");
    EXPECT_EQ(item.enumNames[0], "Off");
    EXPECT_EQ(item.enumNames[1], "On");
    EXPECT_EQ(item.enumNames[2], "Auto");
    EXPECT_EQ(item.enumNames[3], "");

    std::string many = "[";
    for (int i = 0; i < 40; ++i) many += "n" + std::to_string(i) + ",";
    many += "last]";
    Prepare(item, many, DataType::U8);
    EXPECT_EQ(item.enumNames[32], "n32") << "33 names at most; the rest is lost";

    Prepare(item, "[", DataType::U8);
    EXPECT_EQ(item.displayKind, DisplayKind::Enumeration);
    EXPECT_EQ(item.enumNames[0], "");
}

TEST(ParsePrintFormat, StartsFromTheInitialValuesEachTime) {
    MenuItemType item;
    Prepare(item, "[A,B]", DataType::U8);
    Prepare(item, "%.2f V", DataType::U16);
    Prepare(item, "junk", DataType::U16);
    EXPECT_EQ(item.displayKind, DisplayKind::None);
    EXPECT_EQ(item.scale, 1);
    EXPECT_EQ(item.formatPrefix, "");
    EXPECT_EQ(item.unit, "");
    EXPECT_EQ(item.enumNames[0], "");
}

struct TextCase {
    std::string format;
    DataType type;
    TaggedValue value;
    std::string text;
};

TEST(ValueText, ByDisplayKind) {
    const TextCase cases[] = {
        {"%f", DataType::Float, 1.5, "1.5"},
        {"%.2f", DataType::Float, 1.5, "1.50"},
        {"%f", DataType::Float, 0.1, "0.1"},
        {"%.1f", DataType::S16, std::int64_t{-5}, "-0.5"},
        {"%6.2f V", DataType::U16, std::int64_t{1234}, " 12.34"},
        {"%x", DataType::U16, std::int64_t{255}, "FF"},
        {"%04x", DataType::U16, std::int64_t{255}, "00FF"},
        {"%d", DataType::Float, 1.5, ""},
        {"%d", DataType::Str8, std::string("12"), ""},
        {"%u", DataType::U32, std::int64_t{4294967295LL}, "4294967295"},
        {"%d", DataType::U32, std::int64_t{4294967295LL}, "-1"},
        {"%d", DataType::S8, std::int64_t{255}, "-1"},
        {"%d", DataType::S16, std::int64_t{0x18000}, "-32768"},
        {"%d", DataType::U16, 2.5, "2"},
        {"%d", DataType::U16, 3.5, "4"},
        {"%-5d|", DataType::U8, std::int64_t{7}, "7    "},
        {"%d", DataType::U8, TaggedValue{}, "0"},
        {"[A,B]", DataType::U8, std::int64_t{1}, "B"},
        {"[A,B]", DataType::U8, std::int64_t{2}, ""},
        {"[A,B]", DataType::U8, std::int64_t{-1}, ""},
        {"[A,B]", DataType::U8, 0.4, "A"},
        {"%s", DataType::Str8, std::string("AB"), "AB"},
        {"%-4s", DataType::Str8, std::string("AB"), "AB  "},
        {"%s", DataType::Str8, std::int64_t{42}, "42"},
        {"%.1s", DataType::Str8, std::string("AB"), "A"},
        {"%s", DataType::Str8, TaggedValue{}, ""},
        {"%5.2", DataType::U16, std::int64_t{1}, ""},
        {"", DataType::U16, std::int64_t{1}, ""},
        {"%.3f", DataType::Str8, std::string("x"), ""},
    };
    for (const auto& c : cases) {
        MenuItemType item;
        Prepare(item, c.format, c.type);
        EXPECT_EQ(ValueText(item, c.value), c.text) << c.format;
    }
}

TEST(ValueText, GroupAndUnknownKindsAreEmpty) {
    MenuItemType item;
    Prepare(item, "%d", DataType::U8);
    item.displayKind = DisplayKind::Group;
    EXPECT_EQ(ValueText(item, std::int64_t{1}), "");
    item.displayKind = static_cast<DisplayKind>(6);
    EXPECT_EQ(ValueText(item, std::int64_t{1}), "");
}

// A print format comes from the device. Whatever it holds, the text is either a
// plain directive's output or empty, and bounded.
TEST(ValueText, HostilePrintFormatsGiveTheEmptyText) {
    const std::string hostile[] = {
        "%n",      "%hn",     "%*d",    "%.*f",    "%999999d", "%100d",   "%.100f", "%lld",    "%%d",
        "%+d",     "% d",     "%#x",    "%'d",     "%1$d",     "%-*s",    "%ls",
        "%5.2.1f", "%-- 5d",  "%0100d", "%.999e",  "%-100s",   "%I64d",   "%zu",    "%jd",     "%qd",
    };
    for (const auto& format : hostile) {
        for (const DataType type : {DataType::U16, DataType::Float, DataType::Str8}) {
            MenuItemType item;
            Prepare(item, format, type);
            EXPECT_EQ(ValueText(item, std::int64_t{1}), "") << format;
            EXPECT_EQ(ValueText(item, std::string("abc")), "") << format;
        }
    }
}

TEST(ValueText, NothingButTheDirectiveIsFormatted) {
    MenuItemType item;
    // The unit is never part of the text, whatever it holds.
    Prepare(item, "%d %n %s %*d", DataType::U16);
    EXPECT_EQ(ValueText(item, std::int64_t{5}), "5");
    EXPECT_EQ(item.unit, "%n %s %*d");
    // A trailing percent sign is the unit as well.
    Prepare(item, "%d%", DataType::U16);
    EXPECT_EQ(ValueText(item, std::int64_t{5}), "5");
    // A percent sign with nothing after it has no directive.
    Prepare(item, "%", DataType::U16);
    EXPECT_EQ(ValueText(item, std::int64_t{5}), "");
}

TEST(ValueText, OutputStaysBounded) {
    MenuItemType item;
    Prepare(item, "%99.99f", DataType::Float);
    const std::string huge = ValueText(item, 3.0e38);
    EXPECT_EQ(huge.size(), 139u) << "39 integer digits, point, 99 decimals";
    EXPECT_EQ(huge.substr(huge.size() - 3), "000");

    Prepare(item, "%s", DataType::Str8);
    const std::string longText(100000, 'x');
    EXPECT_EQ(ValueText(item, longText).size(), 255u);

    // A very long print format is no directive at all.
    Prepare(item, "%" + std::string(5000, '9') + "d", DataType::U16);
    EXPECT_EQ(ValueText(item, std::int64_t{1}), "");
}

TEST(ValueText, ScaledValuesPassThroughSinglePrecision) {
    MenuItemType item;
    Prepare(item, "%.9f", DataType::S32);
    // 123456789 / 1e9 is 0.123456789; as a single it is 0.123456791...
    EXPECT_EQ(ValueText(item, std::int64_t{123456789}), "0.123456791");
    Prepare(item, "%.2e", DataType::U8);
    EXPECT_EQ(ValueText(item, std::int64_t{250}), "2.50e+00");
    Prepare(item, "%g", DataType::Float);
    EXPECT_EQ(ValueText(item, 1.0e39), "inf") << "beyond single precision";
}

}  // namespace
}  // namespace tessaline
