#include "app/menus/ValueCodec.h"

#include <algorithm>
#include <bit>

#include "app/menus/DeviceText.h"
#include "app/menus/ValueConvert.h"

namespace tessaline {

namespace {

constexpr std::size_t kStr8Size = 8;

// The value of up to 4 bytes; bytes past the end of data count as 0.
std::uint32_t LittleEndian(std::span<const std::uint8_t> data, std::size_t size) {
    std::uint32_t word = 0;
    for (std::size_t i = 0; i < std::min(size, data.size()); ++i) word |= std::uint32_t{data[i]} << (8 * i);
    return word;
}

void PutLittleEndian(std::uint32_t word, std::size_t size, std::uint8_t* out) {
    for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

}  // namespace

TaggedValue DecodeValue(DataType type, std::span<const std::uint8_t> data) {
    if (type == DataType::Str8) {
        const auto text = data.first(std::min(data.size(), kStr8Size));
        return TextFromDevice(
            text.first(static_cast<std::size_t>(std::find(text.begin(), text.end(), std::uint8_t{0}) - text.begin())));
    }
    const std::uint32_t word = LittleEndian(data, DataTypeSize(type));
    switch (type) {
        case DataType::U8:
        case DataType::U16:
        case DataType::U32: return std::int64_t{word};
        case DataType::S8: return std::int64_t{static_cast<std::int8_t>(word)};
        case DataType::S16: return std::int64_t{static_cast<std::int16_t>(word)};
        case DataType::S32: return std::int64_t{static_cast<std::int32_t>(word)};
        case DataType::Float: return double{std::bit_cast<float>(word)};
        case DataType::Str8:
        case DataType::Menu: break;
    }
    return {};
}

EncodedValue EncodeValue(const MenuItemType& item) {
    EncodedValue encoded;
    const std::size_t size = DataTypeSize(item.type);
    encoded.length = static_cast<std::uint8_t>(size);
    const TaggedValue value = item.Value();
    switch (item.type) {
        case DataType::Float:
            PutLittleEndian(std::bit_cast<std::uint32_t>(ToSingle(ToReal(value))), size, encoded.bytes);
            break;
        case DataType::Str8: {
            const std::string text = TextToDevice(ToText(value), kStr8Size);
            std::copy(text.begin(), text.end(), encoded.bytes);
            break;
        }
        case DataType::Menu: break;
        default:
            // The two's complement pattern's low bits, whatever the signedness.
            PutLittleEndian(static_cast<std::uint32_t>(ToInteger(value)), size, encoded.bytes);
    }
    return encoded;
}

}  // namespace tessaline
