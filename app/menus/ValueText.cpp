#include "app/menus/ValueText.h"

#include "app/menus/FormatDirective.h"
#include "app/menus/ValueConvert.h"

namespace tessaline {

namespace {

// The value as the 32-bit argument of an integer directive: signed types take
// their own width, the others their low 32 bits.
std::int32_t IntegerArgument(DataType type, const TaggedValue& value) {
    const auto low32 = static_cast<std::uint32_t>(ToInteger(value));
    switch (type) {
        case DataType::S8: return static_cast<std::int8_t>(low32);
        case DataType::S16: return static_cast<std::int16_t>(low32);
        default: return static_cast<std::int32_t>(low32);
    }
}

template <typename Argument>
std::string Formatted(std::string_view directive, const Argument& argument) {
    const auto parsed = FormatDirective::Parse(directive);
    return parsed ? parsed->Format(argument) : std::string{};
}

}  // namespace

std::string ValueText(const MenuItemType& item, const TaggedValue& value) {
    switch (item.displayKind) {
        case DisplayKind::Integer:
            if (!IsIntegerType(item.type)) return {};
            return Formatted(item.formatPrefix, IntegerArgument(item.type, value));
        case DisplayKind::Scaled:
            return Formatted(item.formatPrefix, double{ToSingle(ToReal(value) / item.scale)});
        case DisplayKind::Enumeration: {
            const std::int64_t index = ToInteger(value);
            if (index < 0 || index >= static_cast<std::int64_t>(kEnumNameCount)) return {};
            return item.enumNames[static_cast<std::size_t>(index)];
        }
        case DisplayKind::Float:
            return Formatted(item.formatPrefix == "%f" ? "%.6g" : item.formatPrefix, double{ToSingle(ToReal(value))});
        case DisplayKind::Text: return Formatted(item.formatPrefix, ToText(value));
        case DisplayKind::Group:
        case DisplayKind::None: break;
    }
    return {};
}

}  // namespace tessaline
