#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BlockBuilder.h"
#include "app/menus/MenuParser.h"
#include "app/menus/ValueText.h"

namespace tessaline {
namespace {

using testing::BlockBuilder;
using testing::MenuRecord;

constexpr std::uint8_t kDevice = 5;

MenuRecord Record(std::uint8_t reg, std::string shortName = "R") {
    MenuRecord r;
    r.reg = reg;
    r.shortName = std::move(shortName);
    return r;
}

class MenuParserTest : public ::testing::Test {
protected:
    MenuParseResult Parse(const TransferBuffer& block) { return ParseMenuFile(block, kDevice, devices, items); }
    std::vector<int> Regs() const {
        std::vector<int> regs;
        for (const auto& item : items) regs.push_back(item->regId);
        return regs;
    }

    DeviceTable devices{{3, "OTHER   ", 0}, {kDevice, "PUMP    ", 0}};
    ItemList items;
};

TEST_F(MenuParserTest, ReadsEveryFieldOfARecord) {
    MenuRecord r;
    r.reg = 7;
    r.menuByte = 0x00;
    r.typeCode = 2;  // u16
    r.rights = 0x2E;
    r.minBytes = {0x18, 0xFC};  // 64536
    r.maxBytes = {0xE8, 0x03};  // 1000
    r.shortName = "Spd";
    r.printFormat = "%6.2f \xB0" "C ";
    r.name = "Speed";
    ASSERT_EQ(Parse(BlockBuilder().Menu(r).Sealed()), MenuParseResult::Parsed);
    ASSERT_EQ(items.size(), 1u);
    const MenuItemType& item = *items[0];
    EXPECT_EQ(item.deviceId, kDevice);
    EXPECT_EQ(item.deviceName, "PUMP    ");
    EXPECT_EQ(item.regId, 7);
    EXPECT_EQ(item.menuGroup, 0);
    EXPECT_EQ(item.menuPos, 0);
    EXPECT_EQ(item.type, DataType::U16);
    EXPECT_EQ(item.rights, 0x2E);
    EXPECT_EQ(item.minValue, TaggedValue{std::int64_t{64536}});
    EXPECT_EQ(item.maxValue, TaggedValue{std::int64_t{1000}});
    EXPECT_EQ(item.Value(), TaggedValue{});
    EXPECT_EQ(item.shortName, "Spd");
    EXPECT_EQ(item.printFormat, "%6.2f \xC2\xB0" "C ") << "device texts are read as ISO 8859-1";
    EXPECT_EQ(item.name, "Speed");
    EXPECT_EQ(item.displayKind, DisplayKind::Scaled);
    EXPECT_EQ(item.formatPrefix, "%6.2f");
    EXPECT_EQ(item.scale, 100);
    EXPECT_EQ(item.unit, "\xC2\xB0" "C");
    EXPECT_EQ(item.requestCount.load(), 0);
    EXPECT_EQ(item.treeIndex, 0);
}

TEST_F(MenuParserTest, DeviceMissingFromTheTableGivesAnEmptyName) {
    ASSERT_EQ(ParseMenuFile(BlockBuilder().Menu(Record(1)).Sealed(), 9, devices, items), MenuParseResult::Parsed);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0]->deviceId, 9);
    EXPECT_EQ(items[0]->deviceName, "");
}

TEST_F(MenuParserTest, LimitsTakeTheSizeOfTheirType) {
    MenuRecord text = Record(1);
    text.typeCode = 7;
    text.minBytes = {'A', 'B', 0, 0, 0, 0, 0, 0};
    text.maxBytes = {'1', '2', '3', '4', '5', '6', '7', '8'};
    text.printFormat = "%s";
    MenuRecord byte = Record(2);
    byte.typeCode = 0;
    byte.minBytes = {3};
    byte.maxBytes = {200};
    MenuRecord real = Record(3);
    real.typeCode = 6;
    real.minBytes = {0x00, 0x00, 0xC0, 0xBF};  // -1.5
    real.maxBytes = {0x00, 0x00, 0x20, 0x41};  // 10
    MenuRecord signedWord = Record(4);
    signedWord.typeCode = 5;
    signedWord.minBytes = {0x00, 0x00, 0x00, 0x80};
    signedWord.maxBytes = {0xFF, 0xFF, 0xFF, 0x7F};
    ASSERT_EQ(Parse(BlockBuilder().Menu(text).Menu(byte).Menu(real).Menu(signedWord).Sealed()),
              MenuParseResult::Parsed);
    ASSERT_EQ(Regs(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(items[0]->minValue, TaggedValue{std::string("AB")});
    EXPECT_EQ(items[0]->maxValue, TaggedValue{std::string("12345678")});
    EXPECT_EQ(items[1]->minValue, TaggedValue{std::int64_t{3}});
    EXPECT_EQ(items[1]->maxValue, TaggedValue{std::int64_t{200}});
    EXPECT_EQ(items[2]->minValue, TaggedValue{-1.5});
    EXPECT_EQ(items[2]->maxValue, TaggedValue{10.0});
    EXPECT_EQ(items[3]->minValue, TaggedValue{std::int64_t{-2147483648LL}});
    EXPECT_EQ(items[3]->maxValue, TaggedValue{std::int64_t{2147483647}});
}

TEST_F(MenuParserTest, GroupHeaderKeepsItsLimitBytesAndBecomesAMenu) {
    MenuRecord header = Record(9, "Grp");
    header.menuByte = 0x30;
    header.typeCode = 2;
    header.minBytes = {1, 2};
    header.maxBytes = {3, 4};
    header.name = "Settings";
    MenuRecord member = Record(10);
    member.menuByte = 0x31;
    ASSERT_EQ(Parse(BlockBuilder().Menu(header).Menu(member).Sealed()), MenuParseResult::Parsed);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0]->IsGroupHeader());
    EXPECT_EQ(items[0]->type, DataType::Menu);
    EXPECT_EQ(items[0]->regId, kGroupHeaderReg);
    EXPECT_EQ(items[0]->displayKind, DisplayKind::Group);
    EXPECT_EQ(items[0]->menuGroup, 0x30);
    EXPECT_EQ(items[0]->name, "Settings");
    EXPECT_EQ(items[1]->regId, 10) << "the member after a 2+2 byte header is read in step";
    EXPECT_EQ(items[1]->menuGroup, 0x30);
    EXPECT_EQ(items[1]->menuPos, 1);
    EXPECT_EQ(items[1]->displayKind, DisplayKind::Integer);
}

struct ResultCase {
    const char* what;
    TransferBuffer block;
    MenuParseResult result;
    std::vector<int> regs;
};

TEST_F(MenuParserTest, ResultsAndTheRecordsTheyKeep) {
    const std::string sixteen(16, 'S');
    MenuRecord badType = Record(4);
    badType.typeCode = 9;
    const BlockBuilder three = BlockBuilder().Menu(Record(1)).Menu(Record(2)).Menu(Record(3, sixteen));
    TransferBuffer spoilt = three.Sealed();
    spoilt.back() ^= 0x01;
    const ResultCase cases[] = {
        {"empty block", {}, MenuParseResult::NoData, {}},
        {"one byte", {0x00}, MenuParseResult::CrcError, {}},
        {"2 bytes of 0", {0x00, 0x00}, MenuParseResult::Parsed, {}},
        {"2 bytes, word not 0", {0x01, 0x00}, MenuParseResult::CrcError, {}},
        {"check word mismatch", spoilt, MenuParseResult::CrcError, {}},
        {"first record type 9", BlockBuilder().Menu(badType).Menu(Record(5)).Sealed(), MenuParseResult::Parsed, {}},
        {"type 8 after a record", BlockBuilder().Menu(Record(1)).Bytes({2, 0, 8, 0, 0, 0, 0, 0, 0}).Sealed(),
         MenuParseResult::Parsed, {1}},
        {"three good, then a 17-character short name",
         BlockBuilder(three).Menu(Record(4, sixteen + "X")).Menu(Record(5)).Sealed(), MenuParseResult::InvalidStructure,
         {1, 2, 3}},
        {"8 trailing bytes", BlockBuilder(three).Bytes({1, 2, 3, 4, 5, 6, 7, 8}).Sealed(), MenuParseResult::Parsed,
         {1, 2, 3}},
    };
    for (const auto& c : cases) {
        items.clear();
        EXPECT_EQ(Parse(c.block), c.result) << c.what;
        EXPECT_EQ(Regs(), c.regs) << c.what;
    }
}

TEST_F(MenuParserTest, FailedBlockLeavesEarlierDevicesAlone) {
    ASSERT_EQ(Parse(BlockBuilder().Menu(Record(1)).Sealed()), MenuParseResult::Parsed);
    TransferBuffer spoilt = BlockBuilder().Menu(Record(2)).Sealed();
    spoilt[0] ^= 0x80;
    EXPECT_EQ(Parse(spoilt), MenuParseResult::CrcError);
    EXPECT_EQ(Regs(), (std::vector<int>{1}));
}

// A device whose block ends inside a record, under a check word that matches: the
// record is dropped, those before it stay, and nothing past the block is read (the
// sanitizer builds catch an over-read). A cut that leaves 9 bytes or more reports
// the broken structure; fewer are trailing bytes and are ignored.
TEST_F(MenuParserTest, RecordCutByTheEndOfTheBlock) {
    MenuRecord last = Record(2, "Last");
    last.typeCode = 7;
    last.minBytes.assign(8, 'a');
    last.maxBytes.assign(8, 'z');
    last.printFormat = "%s";
    const BlockBuilder full = BlockBuilder().Menu(Record(1)).Menu(last);
    const std::size_t lastSize = 4 + 16 + 5 + 3 + last.name.size() + 1;
    for (std::size_t cut = 1; cut < lastSize; ++cut) {
        items.clear();
        const std::size_t left = lastSize - cut;
        const MenuParseResult expected = left >= 9 ? MenuParseResult::InvalidStructure : MenuParseResult::Parsed;
        EXPECT_EQ(Parse(full.SealedWithoutLast(cut)), expected) << "cut " << cut;
        EXPECT_EQ(Regs(), (std::vector<int>{1})) << "cut " << cut;
    }
}

TEST(ParseResultText, TextsOfTheResults) {
    EXPECT_EQ(ParseResultText(MenuParseResult::Parsed), "");
    EXPECT_EQ(ParseResultText(MenuParseResult::CrcError), "CRC error");
    EXPECT_EQ(ParseResultText(MenuParseResult::NoData), "No data");
    EXPECT_EQ(ParseResultText(MenuParseResult::InvalidStructure), "Invalid file stucture");
}

class ErrorListTest : public ::testing::Test {
protected:
    MenuParseResult Parse(const TransferBuffer& block) { return ParseErrorList(block, kDevice, errors); }
    std::vector<std::uint16_t> Masks() const {
        std::vector<std::uint16_t> masks;
        for (const auto& e : errors) masks.push_back(e.errorMask);
        return masks;
    }

    ErrorItemList errors;
};

TEST_F(ErrorListTest, ReadsMaskAndBothTexts) {
    ASSERT_EQ(Parse(BlockBuilder().Error(0x0001, "OV", "Overvoltage").Error(0x8002, "T\xB0", "").Sealed()),
              MenuParseResult::Parsed);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].deviceId, kDevice);
    EXPECT_EQ(errors[0].errorMask, 0x0001);
    EXPECT_EQ(errors[0].errorName, "OV");
    EXPECT_EQ(errors[0].errorText, "Overvoltage");
    EXPECT_EQ(errors[1].errorMask, 0x8002);
    EXPECT_EQ(errors[1].errorName, "T\xC2\xB0");
    EXPECT_EQ(errors[1].errorText, "");
}

TEST_F(ErrorListTest, ResultsAndTheRecordsTheyKeep) {
    const BlockBuilder two = BlockBuilder().Error(1, "A", "a").Error(2, "B", "b");
    TransferBuffer spoilt = two.Sealed();
    spoilt[2] ^= 0x04;
    struct Case {
        const char* what;
        TransferBuffer block;
        MenuParseResult result;
        std::vector<std::uint16_t> masks;
    };
    const Case cases[] = {
        {"empty block", {}, MenuParseResult::NoData, {}},
        {"one byte", {0x00}, MenuParseResult::CrcError, {}},
        {"2 bytes of 0", {0x00, 0x00}, MenuParseResult::Parsed, {}},
        {"check word mismatch", spoilt, MenuParseResult::CrcError, {}},
        {"two records", two.Sealed(), MenuParseResult::Parsed, {1, 2}},
        {"2 trailing bytes", BlockBuilder(two).Bytes({3, 0}).Sealed(), MenuParseResult::Parsed, {1, 2}},
        {"mask and empty texts", BlockBuilder().Bytes({3, 0, 0, 0}).Sealed(), MenuParseResult::Parsed, {3}},
    };
    for (const auto& c : cases) {
        errors.clear();
        EXPECT_EQ(Parse(c.block), c.result) << c.what;
        EXPECT_EQ(Masks(), c.masks) << c.what;
    }
}

// The list ends quietly at a record the block cuts off: the caller still switches
// the device's reports on, and the entries before it name their bits.
TEST_F(ErrorListTest, RecordCutByTheEndOfTheBlock) {
    const BlockBuilder full = BlockBuilder().Error(1, "First", "one").Error(2, "Second", "two");
    const std::size_t lastSize = 2 + 7 + 4;
    for (std::size_t cut = 1; cut < lastSize; ++cut) {
        errors.clear();
        EXPECT_EQ(Parse(full.SealedWithoutLast(cut)), MenuParseResult::Parsed) << "cut " << cut;
        EXPECT_EQ(Masks(), (std::vector<std::uint16_t>{1})) << "cut " << cut;
    }
}

}  // namespace
}  // namespace tessaline
