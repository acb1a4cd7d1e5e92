// Finds the item behind a node of the item tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "app/MenuItemType.h"

namespace tessaline {

// The position in items of the first item whose treeIndex is treeIndex; nullopt
// when no item has it, as for a device node. Index 0 (the first device node, and
// the mark of items that are not shown) never names an item.
std::optional<std::size_t> ItemAtTreeIndex(const ItemList& items, std::int32_t treeIndex);

}  // namespace tessaline
