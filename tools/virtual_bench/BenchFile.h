// Reading a bench description from JSON. The file is checked as a whole: the
// first problem found is reported with its place in the file, as in
//   devices[1].menu[3].type: unknown data type "u12"
//
// {
//   "devices": [{
//     "address": 5, "name": "PUMP", "listenPeriodMs": 100,
//     "menu": [
//       {"menu": "0x10", "name": "Motor", "rights": "ArUrSr"},
//       {"register": 8, "menu": "0x11", "type": "u16", "rights": "AUSr,NV",
//        "min": 0, "max": 3000, "value": 1500, "shortName": "Speed",
//        "format": "%d rpm", "name": "Motor speed",
//        "generator": {"kind": "sine", "periodMs": 5000, "low": 1000, "high": 2000}}],
//     "errors": [{"mask": "0x0003", "name": "Motor", "text": "Motor stalled"}],
//     "initialErrors": 0,
//     "errorSchedule": {"periodMs": 20000, "steps": [{"atMs": 5000, "raise": "0x0001"},
//                                                    {"atMs": 12000, "clear": "0x0001"}]},
//     "dataFile": {"text": "calibration 1"},
//     "faults": {"noMenuList": false, "noErrorList": false, "badMenuCrc": false,
//                "refuseUpload": false, "silent": false, "chunkIntervalMs": 0}}],
//   "secondMaster": {"address": 40, "periodMs": 250, "enabled": false}
// }
//
// Numbers that are masks or menu bytes may also be written as "0x.." texts. Texts
// are UTF-8 in the file and become single-byte (Latin-1) characters on the bus.
// Every object may carry a "comment" text, which is ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "BenchDescription.h"

namespace tessaline::bench {

struct BenchFileResult {
    std::optional<BenchDescription> bench;
    std::string error;  // set when bench is not
};

BenchFileResult ParseBench(std::string_view json);
BenchFileResult LoadBenchFile(const std::string& path);

// Rights in letter form: A, U and S, each followed by r when that level may only
// read, and NV for nonvolatile, as in "AUS,NV" or "ArUr". None when malformed.
std::optional<std::uint8_t> RightsFromLetters(std::string_view letters);

}  // namespace tessaline::bench
