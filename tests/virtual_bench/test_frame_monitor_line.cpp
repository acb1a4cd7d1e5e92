#include <gtest/gtest.h>

#include <string>

#include "BenchTestSupport.h"
#include "FrameMonitorLine.h"

namespace tessaline::bench {
namespace {

const std::string kNoData(24, ' ');

TEST(FrameMonitorLine, ShowsFramesAsTheWorkbenchMonitorDoes) {
    struct Case {
        const char* what;
        CanFrame frame;
        bool fromWorkbench;
        std::string line;
    };
    const Case cases[] = {
        {"scan probe", testing::FromWorkbench(12, 0, 0x80), true, "<- L 0C 3F 00 ---- R 0|" + kNoData + " |"},
        {"value to the workbench", BusFrame(63, 5, 0x21, 0, std::vector<std::uint8_t>{0x34, 0x12}.data(), 2), false,
         "-> L 3F 05 21 ---- - 2| 34 12" + std::string(18, ' ') + " |4\xCB\x99"},
        {"write", testing::FromWorkbench(9, 0x21, 0x18, {1}), true, "<- L 09 3F 21 W--Q - 1| 01" + std::string(21, ' ') + " |\xCB\x99"},
        {"program", testing::FromWorkbench(9, 0x21, 0x38), true, "<- L 09 3F 21 W-NQ - 0|" + kNoData + " |"},
        {"first upload chunk", testing::FromWorkbench(5, 7, 0x68), true, "<- L 05 3F 07 WRN- - 0|" + kNoData + " |"},
        {"between other nodes", BusFrame(4, 3, 8, 0x80), false, "<> L 04 03 08 ---- R 0|" + kNoData + " |"},
        {"Latin-1 character", BusFrame(63, 5, 8, 0, std::vector<std::uint8_t>{0xB0}.data(), 1), false,
         "-> L 3F 05 08 ---- - 1| B0" + std::string(21, ' ') + " |\xC2\xB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FrameMonitorLine(c.frame, c.fromWorkbench), c.line);
    }
}

}  // namespace
}  // namespace tessaline::bench
