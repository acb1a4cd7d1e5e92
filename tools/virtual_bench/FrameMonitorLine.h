// One frame as the workbench's frame monitor shows it, in UTF-8:
//   "<- L 0C 3F 00 ---- R 0|" + 8 x "   " + " |"          scan probe to node 12
//   "-> L 3F 05 21 ---- - 2| 34 12" + 18 spaces + " |4˙"  value from node 5
// Direction "<-" for frames from the workbench, "->" for frames to node 63, "<>"
// between other nodes; flag letters W R N Q; data in hex, then as characters.
#pragma once

#include <string>

#include "ucan.h"

namespace tessaline::bench {

inline constexpr const char* kFrameMonitorHeader = "  Pri  Ds Sr Reg Fl RTR DLC     Data  Hex                ANSI";

std::string FrameMonitorLine(const CanFrame& frame, bool fromWorkbench);

}  // namespace tessaline::bench
