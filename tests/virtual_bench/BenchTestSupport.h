// A small bench for the device tests and helpers that play the workbench's side
// at frame level.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "BenchFile.h"
#include "BusFrame.h"
#include "VirtualBus.h"

namespace tessaline::bench::testing {

inline constexpr std::uint8_t kPump = 5;
inline constexpr std::uint8_t kValve = 9;
inline constexpr std::uint8_t kMaster = 40;

inline constexpr const char* kSmallBench = R"({
  "devices": [
    {"address": 5, "name": "PUMP", "listenPeriodMs": 100,
     "menu": [
       {"register": 8, "type": "u16", "rights": "AUS,NV", "min": 10, "max": 1000, "value": 100, "name": "Setpoint"},
       {"register": 9, "type": "s8", "rights": "ArUrSr", "value": -5, "name": "Read only"},
       {"register": 10, "type": "float", "rights": "AUS", "min": -1.5, "max": 2.5, "value": 0.5, "name": "Gain"},
       {"register": 11, "type": "str8", "rights": "AUS,NV", "value": "ABC", "name": "Tag"},
       {"register": 12, "type": "u32", "rights": "S", "value": 7, "name": "Service only"},
       {"menu": "0x10", "name": "Group"},
       {"register": 13, "menu": "0x11", "type": "s16", "rights": "Ar", "value": -300, "name": "Member"},
       {"register": 14, "type": "u16", "rights": "ArUrSr", "name": "Ramp",
        "generator": {"kind": "ramp", "periodMs": 1000, "low": 0, "high": 1000}}],
     "errors": [{"mask": "0x0001", "name": "One", "text": "first"},
                {"mask": "0x0006", "name": "Two", "text": "second"}],
     "dataFile": {"text": "hello"}},
    {"address": 9, "name": "VALVE",
     "menu": [{"register": 8, "type": "u8", "rights": "AUS", "value": 3, "name": "Position"}]}
  ],
  "secondMaster": {"address": 40, "periodMs": 100}
})";

inline BenchDescription SmallBench() {
    const BenchFileResult result = ParseBench(kSmallBench);
    if (!result.bench) ADD_FAILURE() << result.error;
    return result.bench.value_or(BenchDescription{});
}

inline BenchTime Ms(long long ms) { return BenchTime{ms}; }

// A frame the workbench sends: priority 3, source 63.
inline CanFrame FromWorkbench(std::uint8_t dest, std::uint8_t reg, std::uint8_t flags,
                              std::initializer_list<std::uint8_t> data = {}) {
    return BusFrame(dest, kPcNode, reg, flags, data.begin(), data.size());
}

inline std::vector<std::uint8_t> DataOf(const CanFrame& frame) {
    return std::vector<std::uint8_t>(frame.Data, frame.Data + std::min<std::uint8_t>(frame.Dlc, 8));
}

// Frames with this register from source to dest.
inline std::vector<CanFrame> Between(const std::vector<CanFrame>& frames, std::uint8_t source, std::uint8_t dest,
                                     std::uint8_t reg) {
    std::vector<CanFrame> found;
    for (const CanFrame& frame : frames) {
        if (FrameSource(frame) == source && FrameDest(frame) == dest && FrameReg(frame) == reg) found.push_back(frame);
    }
    return found;
}

}  // namespace tessaline::bench::testing
