// One register of one device, as its menu describes it, and the list that owns them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <variant>
#include <vector>

namespace tessaline {

// A register value or limit: nothing yet, an integer, a float or a text.
using TaggedValue = std::variant<std::monostate, std::int64_t, double, std::string>;

inline constexpr std::uint8_t kGroupHeaderReg = 255;

struct MenuItemType {
    std::int32_t treeIndex = 0;
    std::uint8_t deviceId = 0;
    std::string deviceName;
    std::uint8_t regId = 0;
    std::uint8_t menuGroup = 0;
    std::uint8_t menuPos = 0;
    std::uint8_t type = 0;
    std::uint8_t rights = 0;
    TaggedValue minValue;
    TaggedValue maxValue;
    std::string shortName;
    std::string printFormat;
    std::string name;
    std::string formatPrefix;
    std::uint8_t displayKind = 0;
    std::int32_t scale = 1;
    std::string unit;
    std::array<std::string, 33> enumNames;
    // Outstanding start-listening requests; changed by the GUI thread and the watch worker.
    std::atomic<std::uint8_t> requestCount{0};
    std::uint8_t watchMode = 0;
    double lastTime = 0.0;  // date-time in days

    // The current value is written by the watch worker while the GUI reads it.
    TaggedValue Value() const {
        std::lock_guard lock(valueLock_);
        return value_;
    }
    void SetValue(TaggedValue value) {
        std::lock_guard lock(valueLock_);
        value_ = std::move(value);
    }

    bool IsGroupHeader() const { return menuGroup != 0 && menuPos == 0; }

private:
    mutable std::mutex valueLock_;
    TaggedValue value_;
};

// Owns every record of every loaded device, in load order.
using ItemList = std::vector<std::unique_ptr<MenuItemType>>;

}  // namespace tessaline
