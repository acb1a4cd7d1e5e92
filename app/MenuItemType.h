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

#include "app/DataType.h"

namespace tessaline {

// A register value or limit, in raw register units: nothing yet, an integer, a
// float or a text.
using TaggedValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// How a value is shown, derived from the print format.
enum class DisplayKind : std::uint8_t {
    Integer,      // %d %u %x
    Scaled,       // %e %f %g on an integer type: the value over a power of ten
    Enumeration,  // [name,name,...]
    Float,        // %e %f %g on a float
    Text,         // %s
    Group,        // a group header: no value
    None = 255,   // the print format gave nothing to go by: the text is empty
};

inline constexpr std::uint8_t kGroupHeaderReg = 255;
inline constexpr std::size_t kEnumNameCount = 33;

struct MenuItemType {
    std::int32_t treeIndex = 0;  // 0 while the item is not shown
    std::uint8_t deviceId = 0;
    std::string deviceName;
    std::uint8_t regId = 0;
    std::uint8_t menuGroup = 0;  // high nibble of the menu byte, kept in place
    std::uint8_t menuPos = 0;    // low nibble of the menu byte
    DataType type = DataType::U8;
    std::uint8_t rights = 0;
    TaggedValue minValue;
    TaggedValue maxValue;
    std::string shortName;
    std::string printFormat;
    std::string name;
    // Derived from printFormat by ParsePrintFormat.
    std::string formatPrefix;
    DisplayKind displayKind = DisplayKind::None;
    std::int32_t scale = 1;
    std::string unit;
    std::array<std::string, kEnumNameCount> enumNames;
    // Outstanding start-listening requests; changed by the GUI thread and the watch
    // worker. A byte: it counts modulo 256.
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
