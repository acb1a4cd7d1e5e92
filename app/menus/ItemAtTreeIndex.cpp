#include "app/menus/ItemAtTreeIndex.h"

#include <algorithm>

namespace tessaline {

std::optional<std::size_t> ItemAtTreeIndex(const ItemList& items, std::int32_t treeIndex) {
    if (treeIndex <= 0) return std::nullopt;
    const auto found = std::find_if(items.begin(), items.end(),
                                    [treeIndex](const auto& item) { return item->treeIndex == treeIndex; });
    if (found == items.end()) return std::nullopt;
    return static_cast<std::size_t>(found - items.begin());
}

}  // namespace tessaline
