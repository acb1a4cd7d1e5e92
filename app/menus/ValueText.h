// The text of a value as the tree editor, the watch list, the watch log and the CSV
// file show it. It never holds the unit; the unit is shown beside it.
//
//   "%x", u16, 255        -> "FF"
//   "%.1f", s16, -5       -> "-0.5"      (scale 10)
//   "%f", float, 1.5      -> "1.5"       (a bare %f shows as %.6g)
//   "%.2f", float, 1.5    -> "1.50"
//   "%u", u32, 0xFFFFFFFF -> "4294967295"
//   "%d", float, 1.5      -> ""          (an integer directive on a float type)
//   "[A,B]", 1 / 2        -> "B" / ""
#pragma once

#include <string>

#include "app/MenuItemType.h"

namespace tessaline {

// The text of value (usually item.Value()) by the item's display kind. A prefix that
// is not a plain printf directive (see FormatDirective.h) gives the empty text.
std::string ValueText(const MenuItemType& item, const TaggedValue& value);

}  // namespace tessaline
