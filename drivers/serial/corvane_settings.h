// CORVANE.INI: the port and the bit rate of the serial adapter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

struct CorvaneSettings {
    std::string port = "COM1";
    std::uint32_t bitRate = 19200;
};

// The settings a file's text gives. Keys count only at the very start of a line
// and in exactly this case: "port=" takes the rest of its line (a carriage return
// before the line feed excluded, a leading \\.\ written by older workbenches
// removed); "baud=" takes a positive decimal number and is ignored otherwise. The
// last occurrence of a key wins; other lines are ignored. Lines are read in pieces
// of 59 characters, each of which counts as a line of its own for finding keys.
CorvaneSettings ParseCorvaneSettings(std::string_view text);

// The settings from CORVANE.INI in the current directory; the defaults when the
// file is missing or unreadable.
CorvaneSettings ReadCorvaneSettings();

}  // namespace corvane
