// Register values as a device keeps them: the eight data types, their byte
// encoding on the bus and in device blocks, and limiting a value to its limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace tessaline::bench {

// Type codes as they travel in menu records.
enum class DataType : std::uint8_t { U8 = 0, S8 = 1, U16 = 2, S16 = 3, U32 = 4, S32 = 5, Float = 6, Str8 = 7 };

inline constexpr std::size_t kStr8Size = 8;

std::size_t TypeSize(DataType type);
std::string_view TypeName(DataType type);  // "u8" ... "str8"
std::optional<DataType> TypeFromName(std::string_view name);

// Integers of every width are held as int64 within their type's range, a float as
// float, a str8 as its text (single-byte characters, at most 8).
using RegisterValue = std::variant<std::int64_t, float, std::string>;

// The value a register of this type holds when nothing else is known.
RegisterValue ZeroValue(DataType type);

// Brings any value into the shape its type holds: integers are rounded (halves to
// even) and wrapped to the type's width and signedness, texts cut to 8 characters,
// numbers given for a text become their decimal text and texts given for a number 0.
RegisterValue Normalize(DataType type, const RegisterValue& value);

// A number as a value of a numeric type: integers rounded (halves to even) and
// held within the type's range rather than wrapped.
RegisterValue FromNumber(DataType type, double number);

// Little-endian bytes, exactly TypeSize(type) of them; a text is padded with zero bytes.
std::size_t EncodeValue(DataType type, const RegisterValue& value, std::uint8_t (&out)[8]);

// Reads TypeSize(type) bytes; bytes beyond count are taken as 0. A text ends at
// its first zero byte.
RegisterValue DecodeValue(DataType type, const std::uint8_t* bytes, std::size_t count);

// Limits a number to min..max; texts have no limits.
RegisterValue Clamp(DataType type, const RegisterValue& value, const RegisterValue& min, const RegisterValue& max);

// Decimal text of a number (floats with up to 7 significant digits), or the text itself.
std::string ValueText(const RegisterValue& value);

// Lowest and highest value of a numeric type; a str8 gives two empty texts.
RegisterValue TypeMinimum(DataType type);
RegisterValue TypeMaximum(DataType type);

}  // namespace tessaline::bench
