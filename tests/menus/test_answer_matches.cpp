#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "app/buslink/FrameId.h"
#include "app/menus/AnswerMatches.h"
#include "app/menus/ItemAtTreeIndex.h"
#include "app/menus/PrintFormat.h"

namespace tessaline {
namespace {

constexpr std::uint8_t kDevice = 12;
constexpr std::uint8_t kReg = 7;

CanFrame Frame(std::uint8_t dest, std::uint8_t src, std::uint8_t reg, std::uint8_t flags, std::uint8_t dlc,
               std::uint8_t format = UCAN_FORMAT_EXTENDED) {
    CanFrame f{};
    f.Id = MakeFrameId(3, dest, src, reg, flags);
    f.FrameFormat = static_cast<std::uint8_t>(format | ((flags & fl::Rtr) ? UCAN_FORMAT_REMOTE : 0));
    f.Dlc = dlc;
    f.Data[0] = 0x34;
    f.Data[1] = 0x12;
    f.Data[2] = 0x99;  // beyond a u16's two bytes
    return f;
}

struct MatchCase {
    const char* what;
    CanFrame frame;
    std::uint8_t destination;
    bool matches;
};

TEST(AnswerMatches, ValueFramesOfTheItemsRegister) {
    const MatchCase cases[] = {
        {"answer to the workbench, destination 63", Frame(63, kDevice, kReg, 0, 2), 63, true},
        {"answer to the workbench, destination 255", Frame(63, kDevice, kReg, 0, 2), 255, true},
        {"value sent to node 5, destination 255", Frame(5, kDevice, kReg, 0, 2), 255, true},
        {"value sent to node 5, destination 63", Frame(5, kDevice, kReg, 0, 2), 63, false},
        {"another master's write, Fl 0x18", Frame(63, kDevice, kReg, fl::W | fl::Q, 2), 255, false},
        {"W alone", Frame(63, kDevice, kReg, fl::W, 2), 255, false},
        {"Q alone", Frame(63, kDevice, kReg, fl::Q, 2), 63, false},
        {"R and N do not matter", Frame(63, kDevice, kReg, fl::R | fl::N, 2), 63, true},
        {"no data", Frame(63, kDevice, kReg, 0, 0), 255, false},
        {"remote request", Frame(63, kDevice, kReg, fl::Rtr, 2), 255, false},
        {"standard identifier", Frame(63, kDevice, kReg, 0, 2, 0), 255, false},
        {"other register", Frame(63, kDevice, kReg + 1, 0, 2), 255, false},
        {"other device", Frame(63, kDevice + 1, kReg, 0, 2), 255, false},
        {"request from the workbench to the device", Frame(kDevice, 63, kReg, 0, 2), 255, false},
    };
    for (const auto& c : cases) {
        MenuItemType item;
        item.deviceId = kDevice;
        item.regId = kReg;
        item.type = DataType::U16;
        item.SetValue(std::int64_t{1});
        EXPECT_EQ(AnswerMatches(&item, c.frame, c.destination), c.matches) << c.what;
        const TaggedValue expected = c.matches ? TaggedValue{std::int64_t{0x1234}} : TaggedValue{std::int64_t{1}};
        EXPECT_EQ(item.Value(), expected) << c.what;
    }
}

TEST(AnswerMatches, ShortFramesReadMissingBytesAsZero) {
    MenuItemType item;
    item.deviceId = kDevice;
    item.regId = kReg;
    item.type = DataType::U32;
    ASSERT_TRUE(AnswerMatches(&item, Frame(63, kDevice, kReg, 0, 1), 63));
    EXPECT_EQ(item.Value(), TaggedValue{std::int64_t{0x34}}) << "bytes past Dlc are not the value's";
    CanFrame tooLong = Frame(63, kDevice, kReg, 0, 15);
    ASSERT_TRUE(AnswerMatches(&item, tooLong, 63));
    EXPECT_EQ(item.Value(), TaggedValue{std::int64_t{0x991234}});
}

TEST(AnswerMatches, NoItemAndGroupHeadersNeverMatch) {
    EXPECT_FALSE(AnswerMatches(nullptr, Frame(63, kDevice, kReg, 0, 2), 255));
    MenuItemType header;
    header.deviceId = kDevice;
    header.menuGroup = 0x10;
    header.regId = kGroupHeaderReg;
    header.type = DataType::Menu;
    EXPECT_FALSE(AnswerMatches(&header, Frame(63, kDevice, kReg, 0, 2), 255));
    EXPECT_EQ(header.Value(), TaggedValue{});
}

// The watch worker stores answers while the GUI thread shows the value: under the
// thread sanitizer this fails if the value is not guarded.
TEST(AnswerMatches, ValueIsReadWhileAnswersAreStored) {
    MenuItemType item;
    item.deviceId = kDevice;
    item.regId = kReg;
    item.type = DataType::Str8;
    CanFrame frame = Frame(63, kDevice, kReg, 0, 8);
    std::copy_n("ABCDEFGH", 8, frame.Data);
    std::thread worker([&] {
        for (int i = 0; i < 2000; ++i) AnswerMatches(&item, frame, 255);
    });
    for (int i = 0; i < 2000; ++i) {
        const TaggedValue value = item.Value();
        ASSERT_TRUE(value == TaggedValue{} || value == TaggedValue{std::string("ABCDEFGH")});
    }
    worker.join();
    EXPECT_EQ(item.Value(), TaggedValue{std::string("ABCDEFGH")});
}

TEST(ItemAtTreeIndex, FirstItemShownAtThatNode) {
    ItemList items;
    for (const std::int32_t treeIndex : {0, 2, 3, 3, 0}) {
        items.push_back(std::make_unique<MenuItemType>());
        items.back()->treeIndex = treeIndex;
    }
    EXPECT_EQ(ItemAtTreeIndex(items, 2), std::optional<std::size_t>(1));
    EXPECT_EQ(ItemAtTreeIndex(items, 3), std::optional<std::size_t>(2));
    EXPECT_EQ(ItemAtTreeIndex(items, 1), std::nullopt) << "a device node carries no item";
    EXPECT_EQ(ItemAtTreeIndex(items, 0), std::nullopt) << "hidden items are not at node 0";
    EXPECT_EQ(ItemAtTreeIndex(items, -1), std::nullopt);
    EXPECT_EQ(ItemAtTreeIndex(ItemList{}, 2), std::nullopt);
}

}  // namespace
}  // namespace tessaline
