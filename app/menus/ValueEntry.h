// What the value editor makes of a typed text, and the limits it then applies.
#pragma once

#include <optional>
#include <string_view>

#include "app/MenuItemType.h"

namespace tessaline {

// A Text item takes the text itself. Any other item reads a decimal number with "."
// as separator, times the item's scale, as a float value: "1.25" on a scale of 100
// is 125.0. nullopt when the text is no such number (the caller reports the
// conversion error and leaves the item as it was).
std::optional<TaggedValue> ValueFromText(const MenuItemType& item, std::string_view text);

// A number above maxValue becomes maxValue, below minValue minValue, comparing
// integers and floats by their numeric value. Texts, and limits that are not
// numbers (a str8 item's), leave the value as it is.
TaggedValue Clamp(const MenuItemType& item, const TaggedValue& value);

}  // namespace tessaline
