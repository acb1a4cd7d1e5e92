// What every consumer of a tagged value makes of it: an integer, a real or a text.
// An empty value is 0 and the empty text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/MenuItemType.h"

namespace tessaline {

// Rounds to the nearest integer, halves to even (2.5 -> 2, 3.5 -> 4); saturates at
// the ends of the 64-bit range, and NaN is 0. A text is read as a number (0 if it is none).
std::int64_t ToInteger(const TaggedValue& value);
double ToReal(const TaggedValue& value);
// Numbers as their shortest decimal text: 12, -0.5, 1e+20.
std::string ToText(const TaggedValue& value);

bool IsNumber(const TaggedValue& value);

// A finite decimal number with "." as separator, optional sign and exponent, blanks
// around it allowed; nullopt for anything else (no thousands separator, no hex, no inf).
std::optional<double> ParseDecimal(std::string_view text);

// A double as IEEE single; values beyond its range become infinities instead of
// being converted out of range.
float ToSingle(double value);

}  // namespace tessaline
