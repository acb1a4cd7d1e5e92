// The registers under watch: at most eight references into the ItemList.
#pragma once

#include <array>
#include <cstddef>
#include <mutex>

#include "app/MenuItemType.h"

namespace tessaline {

class WatchList {
public:
    static constexpr std::size_t kCapacity = 8;

    // Returns false when the list is full.
    bool Add(MenuItemType* item) {
        std::lock_guard lock(lock_);
        if (count_ == kCapacity) return false;
        items_[count_++] = item;
        return true;
    }

    // Calls visit(MenuItemType&) for every entry with the list locked; visit must
    // not take another shared lock.
    template <typename Visit>
    void ForEach(Visit&& visit) const {
        std::lock_guard lock(lock_);
        for (std::size_t i = 0; i < count_; ++i) visit(*items_[i]);
    }

private:
    mutable std::mutex lock_;
    std::array<MenuItemType*, kCapacity> items_{};
    std::size_t count_ = 0;
};

}  // namespace tessaline
