#include "app/menus/PrintFormat.h"

#include <string_view>

namespace tessaline {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

void ResetDerived(MenuItemType& item) {
    item.formatPrefix.clear();
    item.displayKind = DisplayKind::None;
    item.scale = 1;
    item.unit.clear();
    item.enumNames.fill({});
}

// 10 to the power of the digit after the prefix's last ".", or 1.
std::int32_t ScaleOf(std::string_view prefix) {
    const std::size_t point = prefix.rfind('.');
    if (point == std::string_view::npos || point + 1 >= prefix.size()) return 1;
    const char digit = prefix[point + 1];
    if (digit < '0' || digit > '9') return 1;
    std::int32_t scale = 1;
    for (char n = '0'; n < digit; ++n) scale *= 10;
    return scale;
}

void ParseDirective(MenuItemType& item, std::string_view format) {
    const std::size_t p = format.find_first_of("sdfuxge", 1);
    if (p == std::string_view::npos) return;
    item.unit = Trimmed(format.substr(p + 1));
    item.formatPrefix = std::string(format.substr(0, p + 1));
    switch (format[p]) {
        case 'd':
        case 'u':
        case 'x': item.displayKind = DisplayKind::Integer; break;
        case 's': item.displayKind = DisplayKind::Text; break;
        default:
            if (IsIntegerType(item.type)) {
                item.displayKind = DisplayKind::Scaled;
                item.scale = ScaleOf(item.formatPrefix);
            } else if (item.type == DataType::Float) {
                item.displayKind = DisplayKind::Float;
            }
    }
}

void ParseEnumeration(MenuItemType& item, std::string_view format) {
    item.displayKind = DisplayKind::Enumeration;
    std::string_view rest = format.substr(1);
    for (std::size_t index = 0; index < kEnumNameCount; ++index) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            // The last name loses the closing "]".
            item.enumNames[index] = std::string(rest.substr(0, rest.empty() ? 0 : rest.size() - 1));
            return;
        }
        item.enumNames[index] = std::string(rest.substr(0, comma));
        rest = rest.substr(comma + 1);
    }
}

}  // namespace

void ParsePrintFormat(MenuItemType& item) {
    ResetDerived(item);
    const std::string_view format = item.printFormat;
    if (format.empty()) return;
    if (format.front() == '%') ParseDirective(item, format);
    if (format.front() == '[') ParseEnumeration(item, format);
}

}  // namespace tessaline
