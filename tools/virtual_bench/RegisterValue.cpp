#include "RegisterValue.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tessaline::bench {
namespace {

struct TypeInfo {
    std::string_view name;
    std::size_t size;
    std::int64_t min;
    std::int64_t max;
};

constexpr std::array<TypeInfo, 8> kTypes{{
    {"u8", 1, 0, 0xFF},
    {"s8", 1, -0x80, 0x7F},
    {"u16", 2, 0, 0xFFFF},
    {"s16", 2, -0x8000, 0x7FFF},
    {"u32", 4, 0, 0xFFFFFFFFLL},
    {"s32", 4, -0x80000000LL, 0x7FFFFFFFLL},
    {"float", 4, 0, 0},
    {"str8", 8, 0, 0},
}};

const TypeInfo& Info(DataType type) { return kTypes[static_cast<std::size_t>(type)]; }

double AsNumber(const RegisterValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* f = std::get_if<float>(&value)) return static_cast<double>(*f);
    return 0.0;
}

// Keeps the low bits of the type's width, read back with the type's signedness.
std::int64_t WrapInteger(DataType type, std::int64_t value) {
    const TypeInfo& info = Info(type);
    const unsigned bits = static_cast<unsigned>(info.size * 8);
    const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
    const std::uint64_t low = static_cast<std::uint64_t>(value) & mask;
    if (info.min < 0 && (low >> (bits - 1)) != 0) return static_cast<std::int64_t>(low) - static_cast<std::int64_t>(mask) - 1;
    return static_cast<std::int64_t>(low);
}

std::int64_t RoundToInteger(double value) {
    if (!std::isfinite(value)) return 0;
    constexpr double kLimit = 9.2e18;
    if (value > kLimit) return std::numeric_limits<std::int64_t>::max();
    if (value < -kLimit) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(std::nearbyint(value));  // default rounding: halves to even
}

}  // namespace

std::size_t TypeSize(DataType type) { return Info(type).size; }
std::string_view TypeName(DataType type) { return Info(type).name; }

std::optional<DataType> TypeFromName(std::string_view name) {
    for (std::size_t i = 0; i < kTypes.size(); ++i) {
        if (kTypes[i].name == name) return static_cast<DataType>(i);
    }
    return std::nullopt;
}

RegisterValue ZeroValue(DataType type) {
    if (type == DataType::Float) return 0.0f;
    if (type == DataType::Str8) return std::string();
    return std::int64_t{0};
}

RegisterValue Normalize(DataType type, const RegisterValue& value) {
    if (type == DataType::Str8) {
        std::string text = ValueText(value);
        if (text.size() > kStr8Size) text.resize(kStr8Size);
        return text;
    }
    if (type == DataType::Float) return static_cast<float>(AsNumber(value));
    if (const auto* i = std::get_if<std::int64_t>(&value)) return WrapInteger(type, *i);
    return WrapInteger(type, RoundToInteger(AsNumber(value)));
}

RegisterValue FromNumber(DataType type, double number) {
    if (type == DataType::Float) return static_cast<float>(number);
    if (type == DataType::Str8) return ValueText(static_cast<float>(number));
    const TypeInfo& info = Info(type);
    return std::clamp(RoundToInteger(number), info.min, info.max);
}

std::size_t EncodeValue(DataType type, const RegisterValue& value, std::uint8_t (&out)[8]) {
    std::memset(out, 0, sizeof out);
    const RegisterValue normal = Normalize(type, value);
    const std::size_t size = TypeSize(type);
    if (type == DataType::Str8) {
        const auto& text = std::get<std::string>(normal);
        std::memcpy(out, text.data(), text.size());
    } else {
        const std::uint64_t bits = type == DataType::Float
                                       ? std::bit_cast<std::uint32_t>(std::get<float>(normal))
                                       : static_cast<std::uint64_t>(std::get<std::int64_t>(normal));
        for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return size;
}

RegisterValue DecodeValue(DataType type, const std::uint8_t* bytes, std::size_t count) {
    const std::size_t size = TypeSize(type);
    std::uint8_t raw[8] = {};
    std::memcpy(raw, bytes, count < size ? count : size);
    if (type == DataType::Str8) {
        std::size_t length = 0;
        while (length < kStr8Size && raw[length] != 0) ++length;
        return std::string(reinterpret_cast<const char*>(raw), length);
    }
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < size; ++i) bits |= std::uint64_t{raw[i]} << (8 * i);
    if (type == DataType::Float) return std::bit_cast<float>(static_cast<std::uint32_t>(bits));
    return WrapInteger(type, static_cast<std::int64_t>(bits));
}

RegisterValue Clamp(DataType type, const RegisterValue& value, const RegisterValue& min, const RegisterValue& max) {
    const RegisterValue normal = Normalize(type, value);
    if (type == DataType::Str8) return normal;
    if (AsNumber(normal) > AsNumber(max)) return Normalize(type, max);
    if (AsNumber(normal) < AsNumber(min)) return Normalize(type, min);
    return normal;
}

std::string ValueText(const RegisterValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
    if (const auto* f = std::get_if<float>(&value)) {
        char text[32];
        std::snprintf(text, sizeof text, "%.7g", static_cast<double>(*f));
        return text;
    }
    return std::get<std::string>(value);
}

RegisterValue TypeMinimum(DataType type) {
    if (type == DataType::Float) return std::numeric_limits<float>::lowest();
    if (type == DataType::Str8) return std::string();
    return Info(type).min;
}

RegisterValue TypeMaximum(DataType type) {
    if (type == DataType::Float) return std::numeric_limits<float>::max();
    if (type == DataType::Str8) return std::string();
    return Info(type).max;
}

}  // namespace tessaline::bench
