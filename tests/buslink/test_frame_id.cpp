#include <gtest/gtest.h>

#include "app/buslink/DriverErrorText.h"
#include "app/buslink/FrameId.h"

namespace tessaline {
namespace {

CanFrame Frame(std::uint32_t id, std::uint8_t format = UCAN_FORMAT_EXTENDED, std::uint8_t dlc = 1) {
    CanFrame f{};
    f.Id = id;
    f.FrameFormat = format;
    f.Dlc = dlc;
    return f;
}

struct IdCase {
    const char* what;
    std::uint8_t pri, ds, sr, reg, flags;
    std::uint32_t id;
};

TEST(FrameId, BuildsIdentifiersOfTheCatalogue) {
    const IdCase cases[] = {
        {"listen to register 7 of node 5", 3, 5, 63, 7, 0xC0, 0x18B03F07},
        {"first upload chunk", 3, 5, 63, 7, 0x68, 0x18BA3F07},
        {"further upload chunk", 3, 5, 63, 7, 0x28, 0x18AA3F07},
        {"scan probe to node 12", 3, 12, 63, 0, 0x80, 0x19803F00},
        {"new node address for node 9", 3, 9, 63, 5, 0x28, 0x192A3F05},
        {"value write", 3, 9, 63, 0x21, 0x18, 0x19263F21},
        {"value write and program", 3, 9, 63, 0x21, 0x38, 0x192E3F21},
        {"register byte with bit 7", 3, 5, 63, 0x87, 0x80, 0x18A03F87},
    };
    for (const auto& c : cases) EXPECT_EQ(MakeFrameId(c.pri, c.ds, c.sr, c.reg, c.flags), c.id) << c.what;
}

TEST(FrameId, AccessorsTakeTheFieldsApart) {
    const CanFrame f = Frame(MakeFrameId(3, 17, 42, 0x87, 0x5A), UCAN_FORMAT_EXTENDED | UCAN_FORMAT_REMOTE);
    EXPECT_EQ(FrameDest(f), 17);
    EXPECT_EQ(FrameSource(f), 42);
    EXPECT_EQ(FrameReg(f), 7) << "readers compare only 7 bits of the register";
    EXPECT_EQ(FrameFlags(f), 0x5A | 0x80) << "flag bit 7 comes from the remote-request bit";
    EXPECT_TRUE(FrameIsRequest(f));
    EXPECT_TRUE(FrameIsExtended(f));
}

TEST(FrameId, ErrorReportIsAnExtendedDataFrameOnRegisterTwo) {
    EXPECT_TRUE(FrameIsErrorReport(Frame(MakeFrameId(3, 9, 4, 2, 0))));
    EXPECT_TRUE(FrameIsErrorReport(Frame(MakeFrameId(3, 63, 4, 2, 0x40)))) << "between any two nodes, any flags";
    EXPECT_FALSE(FrameIsErrorReport(Frame(MakeFrameId(3, 4, 63, 2, 0xC0), 0xC0))) << "the switch-on request";
    EXPECT_FALSE(FrameIsErrorReport(Frame(MakeFrameId(3, 4, 63, 2, 0), 0x00))) << "11-bit identifier";
    EXPECT_FALSE(FrameIsErrorReport(Frame(MakeFrameId(3, 4, 63, 3, 0))));
}

struct MatchCase {
    const char* what;
    std::uint8_t ds, sr, reg;       // the frame's fields
    std::uint8_t format;            // FrameFormat
    std::uint8_t dest, src, wanted; // the arguments
    bool matches;
};

TEST(FrameMatches, AddressCases) {
    constexpr std::uint8_t X = UCAN_FORMAT_EXTENDED;
    const MatchCase cases[] = {
        {"a/b: exact pair", 63, 12, 4, X, 63, 12, 4, true},
        {"a/b: other source", 63, 13, 4, X, 63, 12, 4, false},
        {"a/b: other destination", 5, 12, 4, X, 63, 12, 4, false},
        {"a/a: from the node", 63, 12, 4, X, 12, 12, 4, true},
        {"a/a: to the node", 12, 63, 4, X, 12, 12, 4, true},
        {"a/a: neither", 5, 6, 4, X, 12, 12, 4, false},
        {"a/255: any source", 63, 7, 0, X, 63, 255, 0, true},
        {"a/255: addressed elsewhere", 5, 7, 0, X, 63, 255, 0, false},
        {"255/b: any destination", 5, 7, 0, X, 255, 7, 0, true},
        {"255/b: other source", 5, 8, 0, X, 255, 7, 0, false},
        {"255/255 never", 63, 7, 0, X, 255, 255, 0, false},
        {"255/255 never, any reg", 63, 7, 0, X, 255, 255, 255, false},
        {"any register", 63, 12, 99, X, 63, 12, 255, true},
        {"other register", 63, 12, 5, X, 63, 12, 4, false},
        {"11-bit identifier", 63, 12, 4, 0, 63, 12, 4, false},
        {"remote frame", 63, 12, 4, X | UCAN_FORMAT_REMOTE, 63, 12, 4, false},
        {"remote frame, node match", 12, 63, 4, X | UCAN_FORMAT_REMOTE, 12, 12, 255, false},
    };
    for (const auto& c : cases) {
        const CanFrame f = Frame(MakeFrameId(3, c.ds, c.sr, c.reg, 0), c.format);
        EXPECT_EQ(FrameMatches(f, c.dest, c.src, c.wanted), c.matches) << c.what;
    }
}

TEST(FrameMatches, RegisterComparedOnSevenBits) {
    const CanFrame f = Frame(MakeFrameId(3, 63, 12, 0x87, 0));
    EXPECT_TRUE(FrameMatches(f, 63, 12, 7));
}

TEST(DriverErrorText, KnownCodesUnknownCodesAndSpaces) {
    EXPECT_EQ(DriverErrorText(128), "no CAN messages received");
    EXPECT_EQ(DriverErrorText(3), " No connection or module is not powered  ");
    EXPECT_EQ(DriverErrorText(14), " Error on loading DLL");
    EXPECT_EQ(DriverErrorText(7), " Wrong parameter handed over to the function ");
    EXPECT_EQ(DriverErrorText(144), "pointer to address is NULL (function will not work correctly");
    for (int code : {0, 15, 63, 68, 131, 143, 145, 255}) {
        EXPECT_EQ(DriverErrorText(static_cast<std::uint8_t>(code)), "") << code;
    }
}

TEST(DriverErrorText, StatusBitTexts) {
    EXPECT_EQ(CanStatusText(0), "Tx-buffer of the CAN controller is full");
    EXPECT_EQ(CanStatusText(4), "Bus error: CAN controller has gone into Bus-Off state");
    EXPECT_EQ(CanStatusText(9), "Register test of the SJA1000 failed");
    EXPECT_EQ(CanStatusText(10), "");
}

}  // namespace
}  // namespace tessaline
