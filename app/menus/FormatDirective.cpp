#include "app/menus/FormatDirective.h"

#include <algorithm>
#include <cstdio>

namespace tessaline {

namespace {

constexpr std::size_t kMaxDigits = 2;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Moves pos over at most kMaxDigits digits; false when more follow.
bool SkipDigits(std::string_view text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return pos - start <= kMaxDigits;
}

bool IsIntegerConversion(char c) { return c == 'd' || c == 'u' || c == 'X'; }
bool IsRealConversion(char c) { return c == 'e' || c == 'f' || c == 'g'; }

}  // namespace

std::optional<FormatDirective> FormatDirective::Parse(std::string_view directive) {
    std::size_t pos = 0;
    if (pos == directive.size() || directive[pos] != '%') return std::nullopt;
    ++pos;
    if (pos < directive.size() && directive[pos] == '-') ++pos;
    if (!SkipDigits(directive, pos)) return std::nullopt;
    if (pos < directive.size() && directive[pos] == '.') {
        ++pos;
        if (!SkipDigits(directive, pos)) return std::nullopt;
    }
    if (pos + 1 != directive.size()) return std::nullopt;
    const char conversion = directive[pos];
    if (std::string_view("duxsefg").find(conversion) == std::string_view::npos) return std::nullopt;
    std::string printfForm(directive);
    if (conversion == 'x') printfForm.back() = 'X';
    return FormatDirective(std::move(printfForm));
}

template <typename Argument>
std::string FormatDirective::Print(Argument argument) const {
    char text[kMaxText + 1];
    // printfForm_ holds nothing but a checked directive; its argument kind is checked
    // by the caller. Widths and precisions of 2 digits keep numbers within the buffer.
    const int length = std::snprintf(text, sizeof text, printfForm_.c_str(), argument);
    if (length < 0) return {};
    return std::string(text, std::min(static_cast<std::size_t>(length), kMaxText));
}

std::string FormatDirective::Format(std::int32_t value) const {
    if (!IsIntegerConversion(Conversion())) return {};
    if (Conversion() == 'd') return Print(value);
    return Print(static_cast<std::uint32_t>(value));
}

std::string FormatDirective::Format(double value) const {
    if (!IsRealConversion(Conversion())) return {};
    return Print(value);
}

std::string FormatDirective::Format(const std::string& value) const {
    if (Conversion() != 's') return {};
    return Print(value.c_str());
}

}  // namespace tessaline
