#include "app/menus/ValueEntry.h"

#include <string>

#include "app/menus/ValueConvert.h"

namespace tessaline {

namespace {

// a < b numerically; both are numbers. Two integers compare exactly.
bool Less(const TaggedValue& a, const TaggedValue& b) {
    const auto* ia = std::get_if<std::int64_t>(&a);
    const auto* ib = std::get_if<std::int64_t>(&b);
    if (ia != nullptr && ib != nullptr) return *ia < *ib;
    return ToReal(a) < ToReal(b);
}

}  // namespace

std::optional<TaggedValue> ValueFromText(const MenuItemType& item, std::string_view text) {
    if (item.displayKind == DisplayKind::Text) return TaggedValue{std::string(text)};
    const std::optional<double> number = ParseDecimal(text);
    if (!number) return std::nullopt;
    return TaggedValue{*number * item.scale};
}

TaggedValue Clamp(const MenuItemType& item, const TaggedValue& value) {
    if (!IsNumber(value)) return value;
    if (IsNumber(item.maxValue) && Less(item.maxValue, value)) return item.maxValue;
    if (IsNumber(item.minValue) && Less(value, item.minValue)) return item.minValue;
    return value;
}

}  // namespace tessaline
