// Menu lists as a device might send them. The first input byte picks the form: odd
// puts the check word of the rest in front, so the parser reads the records; even
// hands the rest over as it is, so the check itself is fuzzed. Every parsed item's
// limits and names then go through ValueText, which fuzzes the print format path.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/buslink/BlockCrc.h"
#include "app/menus/FormatDirective.h"
#include "app/menus/MenuParser.h"
#include "app/menus/ValueText.h"

namespace {

using namespace tessaline;

void CheckValueText(const MenuItemType& item, const TaggedValue& value) {
    const std::string text = ValueText(item, value);
    // Only enumeration names can be longer than a directive's output.
    if (item.displayKind != DisplayKind::Enumeration && text.size() > FormatDirective::kMaxText) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool sealed = (data[0] & 1) != 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const TransferBuffer block = sealed ? SealBlock(rest) : TransferBuffer(rest.begin(), rest.end());

    const DeviceTable devices{{5, "FUZZDEV ", 0}};
    ItemList items;
    const MenuParseResult result = ParseMenuFile(block, 5, devices, items);
    if (sealed && (result == MenuParseResult::CrcError || result == MenuParseResult::NoData)) __builtin_trap();
    if (result == MenuParseResult::CrcError && !items.empty()) __builtin_trap();

    for (const auto& item : items) {
        CheckValueText(*item, item->minValue);
        CheckValueText(*item, item->maxValue);
        CheckValueText(*item, item->name);
    }
    return 0;
}
