// The bench's line commands, the same for standard input and for scripts:
//   list                       devices, their state and the second master
//   show ADDR                  the registers of one device with their values
//   set ADDR REG VALUE         a register's value, as the device itself changes it
//   raise ADDR MASK            error bits on      clear ADDR MASK   error bits off
//   fault ADDR NAME on|off     nomenu, noerrors, badcrc, refuse, silent
//   fault ADDR chunk MS        a download chunk every MS ms (0: off)
//   master on|off              the second master
//   power [ADDR]               power cycle one device or all
//   help, quit
// Numbers may be decimal or 0x hexadecimal.
#pragma once

#include <string>
#include <string_view>

#include "BenchTime.h"
#include "VirtualBus.h"

namespace tessaline::bench {

struct CommandResult {
    std::string output;  // lines, each ending in a newline; errors start with "error: "
    bool quit = false;
};

CommandResult RunCommand(VirtualBus& bus, std::string_view line, BenchTime now);

}  // namespace tessaline::bench
