#include "app/menus/ValueConvert.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace tessaline {

namespace {

std::int64_t RoundToInteger(double value) {
    if (std::isnan(value)) return 0;
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double kLimit = 9223372036854775808.0;
    if (value >= kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<std::int64_t>::min();
    // The default rounding mode rounds halves to even.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::int64_t ToInteger(const TaggedValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    return RoundToInteger(ToReal(value));
}

double ToReal(const TaggedValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* d = std::get_if<double>(&value)) return *d;
    if (const auto* s = std::get_if<std::string>(&value)) return ParseDecimal(*s).value_or(0.0);
    return 0.0;
}

std::string ToText(const TaggedValue& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return *s;
    if (std::holds_alternative<std::monostate>(value)) return {};
    char buffer[32];
    const auto* i = std::get_if<std::int64_t>(&value);
    const auto result = i != nullptr ? std::to_chars(buffer, buffer + sizeof buffer, *i)
                                     : std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(value));
    return std::string(buffer, result.ptr);
}

bool IsNumber(const TaggedValue& value) {
    return std::holds_alternative<std::int64_t>(value) || std::holds_alternative<double>(value);
}

std::optional<double> ParseDecimal(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    // from_chars takes a minus but no plus; a sign after a plus is not a number.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '-' || text.front() == '+')) return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

float ToSingle(double value) {
    constexpr double kMax = std::numeric_limits<float>::max();
    if (value > kMax) return std::numeric_limits<float>::infinity();
    if (value < -kMax) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace tessaline
