#include "app/menus/MenuParser.h"

#include <memory>

#include "app/buslink/BlockCrc.h"
#include "app/menus/BlockReader.h"
#include "app/menus/DeviceText.h"
#include "app/menus/PrintFormat.h"
#include "app/menus/ValueCodec.h"

namespace tessaline {

namespace {

constexpr std::size_t kCheckWordSize = 2;
constexpr std::size_t kShortestMenuRecord = 9;
constexpr std::size_t kMaxShortName = 16;

// Result of a block before its records are read: empty, failing its check, or fine.
MenuParseResult CheckBlock(const TransferBuffer& block) {
    if (block.empty()) return MenuParseResult::NoData;
    return BlockIsValid(block) ? MenuParseResult::Parsed : MenuParseResult::CrcError;
}

BlockReader Records(const TransferBuffer& block) {
    return BlockReader(std::span<const std::uint8_t>(block).subspan(kCheckWordSize));
}

enum class RecordEnd { Read, EndOfList, Invalid };

// Reads one menu record into item.
RecordEnd ReadMenuRecord(BlockReader& reader, MenuItemType& item) {
    // Register, menu byte, type code and rights; the loop leaves at least 9 bytes.
    const auto head = reader.Bytes(4);
    if (!head) return RecordEnd::Invalid;
    const std::uint8_t typeCode = (*head)[2];
    if (typeCode > kLastValueTypeCode) return RecordEnd::EndOfList;
    const std::uint8_t menuByte = (*head)[1];
    item.regId = (*head)[0];
    item.menuGroup = static_cast<std::uint8_t>(menuByte & 0xF0);
    item.menuPos = static_cast<std::uint8_t>(menuByte & 0x0F);
    item.type = static_cast<DataType>(typeCode);
    item.rights = (*head)[3];

    const auto minBytes = reader.Bytes(DataTypeSize(item.type));
    const auto maxBytes = reader.Bytes(DataTypeSize(item.type));
    if (!minBytes || !maxBytes) return RecordEnd::Invalid;
    item.minValue = DecodeValue(item.type, *minBytes);
    item.maxValue = DecodeValue(item.type, *maxBytes);

    const auto shortName = reader.Text();
    if (!shortName || shortName->size() > kMaxShortName) return RecordEnd::Invalid;
    const auto printFormat = reader.Text();
    const auto name = reader.Text();
    if (!printFormat || !name) return RecordEnd::Invalid;
    item.shortName = TextFromDevice(*shortName);
    item.printFormat = TextFromDevice(*printFormat);
    item.name = TextFromDevice(*name);

    if (item.IsGroupHeader()) {
        item.displayKind = DisplayKind::Group;
        item.type = DataType::Menu;
        item.regId = kGroupHeaderReg;
    } else {
        ParsePrintFormat(item);
    }
    return RecordEnd::Read;
}

}  // namespace

std::string ParseResultText(MenuParseResult result) {
    switch (result) {
        case MenuParseResult::CrcError: return "CRC error";
        case MenuParseResult::NoData: return "No data";
        case MenuParseResult::InvalidStructure: return "Invalid file stucture";
        case MenuParseResult::Parsed: break;
    }
    return {};
}

MenuParseResult ParseMenuFile(const TransferBuffer& block, std::uint8_t deviceId, const DeviceTable& devices,
                              ItemList& items) {
    if (const MenuParseResult check = CheckBlock(block); check != MenuParseResult::Parsed) return check;
    const std::string deviceName = DeviceName(devices, deviceId);
    BlockReader reader = Records(block);
    while (reader.Remaining() >= kShortestMenuRecord) {
        auto item = std::make_unique<MenuItemType>();
        item->deviceId = deviceId;
        item->deviceName = deviceName;
        switch (ReadMenuRecord(reader, *item)) {
            case RecordEnd::Read: items.push_back(std::move(item)); break;
            case RecordEnd::EndOfList: return MenuParseResult::Parsed;
            case RecordEnd::Invalid: return MenuParseResult::InvalidStructure;
        }
    }
    return MenuParseResult::Parsed;
}

MenuParseResult ParseErrorList(const TransferBuffer& block, std::uint8_t deviceId, ErrorItemList& errors) {
    if (const MenuParseResult check = CheckBlock(block); check != MenuParseResult::Parsed) return check;
    BlockReader reader = Records(block);
    // A record needs its mask and at least one byte after it.
    while (reader.Remaining() > 2) {
        const auto mask = reader.Word();
        const auto errorName = reader.Text();
        const auto errorText = reader.Text();
        if (!mask || !errorName || !errorText) break;
        errors.push_back({deviceId, *mask, TextFromDevice(*errorName), TextFromDevice(*errorText)});
    }
    return MenuParseResult::Parsed;
}

}  // namespace tessaline
