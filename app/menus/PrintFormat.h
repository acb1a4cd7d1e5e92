// The presentation fields an item derives from its print format and type.
//
//   "%d rpm"         -> Integer, prefix "%d", unit "rpm"
//   "%6.2f V", u16   -> Scaled, prefix "%6.2f", scale 100, unit "V"
//   "%.3f", float    -> Float, prefix "%.3f"
//   "[Off,On,Auto]"  -> Enumeration, names Off, On, Auto
//   "%s"             -> Text
//   "%5.2", "abc", "" -> nothing derived: None, scale 1
#pragma once

#include "app/MenuItemType.h"

namespace tessaline {

// Sets formatPrefix, displayKind, scale, unit and enumNames from printFormat and
// type, starting from their initial values. The prefix is kept as the device wrote
// it; ValueText checks it before it formats anything.
void ParsePrintFormat(MenuItemType& item);

}  // namespace tessaline
