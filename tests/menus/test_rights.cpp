#include <gtest/gtest.h>

#include <string>

#include "app/menus/Rights.h"

namespace tessaline {
namespace {

TEST(RightsText, LettersInTheOrderAdvancedUserService) {
    const struct {
        std::uint8_t rights;
        std::string text;
        std::string withNv;
    } cases[] = {
        {0x3F, "AUS", "AUS"},
        {0x2A, "ArUrSr", "ArUrSr"},
        {0x0E, "USr", "USr"},
        {0x00, "", ""},
        {0x15, "", ""},  // write bits alone show nothing
        {0x7F, "AUS", "AUS,NV"},
        {0x40, "", ",NV"},
        {0xA2, "ArSr", "ArSr"},  // the reserved bit shows nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RightsText(c.rights), c.text) << int(c.rights);
        EXPECT_EQ(RightsTextWithNv(c.rights), c.withNv) << int(c.rights);
    }
}

TEST(RightsFromText, FirstLetterOfEachLevelCounts) {
    const struct {
        std::string text;
        std::uint8_t rights;
    } cases[] = {
        {"SrArUr", 0x2A}, {"AUS", 0x3F},  {"ArUrSr", 0x2A}, {"USr", 0x0E}, {"", 0x00},
        {"aus", 0x00},    {"S,NV", 0x03}, {"Ar", 0x20},     {"A", 0x30},   {"SSr", 0x03},  // first S only
        {"Sr", 0x02},     {"xUry", 0x08},
    };
    for (const auto& c : cases) EXPECT_EQ(RightsFromText(c.text), c.rights) << c.text;
}

TEST(RightsText, LetterFormReadsBackToTheSameBits) {
    for (int rights = 0; rights < 0x40; ++rights) {
        // A level whose write bit is set without its read bit has no letter.
        int visible = 0;
        for (const int read : {0x02, 0x08, 0x20}) {
            if (rights & read) visible |= read | (rights & (read >> 1));
        }
        EXPECT_EQ(RightsFromText(RightsText(static_cast<std::uint8_t>(rights))), visible) << rights;
    }
}

}  // namespace
}  // namespace tessaline
