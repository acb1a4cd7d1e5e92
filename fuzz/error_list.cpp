// Error lists as a device might send them. The first input byte picks the form: odd
// puts the check word of the rest in front, so the parser reads the records; even
// hands the rest over as it is, so the check itself is fuzzed.
#include <cstddef>
#include <cstdint>
#include <span>

#include "app/buslink/BlockCrc.h"
#include "app/menus/MenuParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessaline;
    if (size == 0) return 0;
    const bool sealed = (data[0] & 1) != 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    const TransferBuffer block = sealed ? SealBlock(rest) : TransferBuffer(rest.begin(), rest.end());

    ErrorItemList errors;
    const MenuParseResult result = ParseErrorList(block, 9, errors);
    if (sealed && result != MenuParseResult::Parsed) __builtin_trap();
    if (result != MenuParseResult::Parsed && !errors.empty()) __builtin_trap();
    // Each record takes its 2-byte mask and two zero bytes at the least.
    if (errors.size() * 4 > rest.size()) __builtin_trap();
    for (const ErrItemType& e : errors) {
        if (e.deviceId != 9) __builtin_trap();
    }
    return 0;
}
