#include "DeviceBlocks.h"

#include "app/buslink/BlockCrc.h"

namespace tessaline::bench {
namespace {

void AppendText(Block& block, const std::string& text) {
    block.insert(block.end(), text.begin(), text.end());
    block.push_back(0);
}

}  // namespace

Block BuildMenuBlock(const std::vector<MenuEntry>& menu) {
    Block payload;
    for (const MenuEntry& entry : menu) {
        payload.push_back(entry.reg);
        payload.push_back(entry.menuByte);
        payload.push_back(static_cast<std::uint8_t>(entry.type));
        payload.push_back(entry.rights);
        std::uint8_t bytes[8];
        for (const RegisterValue* limit : {&entry.min, &entry.max}) {
            const std::size_t size = EncodeValue(entry.type, *limit, bytes);
            payload.insert(payload.end(), bytes, bytes + size);
        }
        AppendText(payload, entry.shortName);
        AppendText(payload, entry.printFormat);
        AppendText(payload, entry.name);
    }
    return SealBlock(payload);
}

Block BuildErrorBlock(const std::vector<ErrorEntry>& errors) {
    Block payload;
    for (const ErrorEntry& error : errors) {
        payload.push_back(static_cast<std::uint8_t>(error.mask & 0xFF));
        payload.push_back(static_cast<std::uint8_t>(error.mask >> 8));
        AppendText(payload, error.name);
        AppendText(payload, error.text);
    }
    return SealBlock(payload);
}

}  // namespace tessaline::bench
