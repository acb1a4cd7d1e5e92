// What a bench file describes: the devices with their menus, error lists, data
// files and fault switches, and the second master. Plain data; BenchFile.h reads it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BenchTime.h"
#include "RegisterValue.h"

namespace tessaline::bench {

struct Generator {
    enum class Kind { Constant, Ramp, Sine, RandomWalk };
    Kind kind = Kind::Constant;
    BenchTime period{1000};  // ramp and sine: one cycle; random walk: one step
    double low = 0.0;
    double high = 0.0;
    double step = 1.0;  // random walk: largest change per step
};

struct MenuEntry {
    std::uint8_t reg = 0;
    std::uint8_t menuByte = 0;
    DataType type = DataType::U8;
    std::uint8_t rights = 0;
    RegisterValue min;
    RegisterValue max;
    RegisterValue initial;
    std::string shortName;    // single-byte characters
    std::string printFormat;  // single-byte characters
    std::string name;         // single-byte characters
    std::optional<Generator> generator;

    bool IsGroupHeader() const { return (menuByte & 0xF0) != 0 && (menuByte & 0x0F) == 0; }
};

struct ErrorEntry {
    std::uint16_t mask = 0;
    std::string name;
    std::string text;
};

// Error bits raised and cleared at times counted from power-on; with a period the
// steps repeat every period.
struct ErrorStep {
    BenchTime at{0};
    std::uint16_t raise = 0;
    std::uint16_t clear = 0;
};

struct ErrorSchedule {
    BenchTime period{0};  // 0: the steps run once
    std::vector<ErrorStep> steps;
};

struct DeviceFaults {
    bool noMenuList = false;    // the menu list request goes unanswered
    bool noErrorList = false;   // the error list request goes unanswered
    bool badMenuCrc = false;    // the menu list carries a wrong check word
    bool refuseUpload = false;  // every upload is refused at its closing chunk
    bool silent = false;        // the device answers nothing at all
    BenchTime chunkInterval{0};  // > 0: each download chunk waits this long
};

struct DeviceDescription {
    std::uint8_t address = 0;
    std::string name;  // 1 to 8 single-byte characters
    BenchTime listenPeriod{100};
    std::vector<MenuEntry> menu;
    std::vector<ErrorEntry> errors;
    std::uint16_t initialErrors = 0;
    ErrorSchedule errorSchedule;
    std::vector<std::uint8_t> dataFile;  // the whole block, check word included; empty: none
    DeviceFaults faults;
};

struct SecondMasterDescription {
    std::uint8_t address = 40;
    BenchTime period{250};  // one read request per period
    bool enabled = false;
};

struct BenchDescription {
    std::vector<DeviceDescription> devices;
    SecondMasterDescription secondMaster;
};

}  // namespace tessaline::bench
