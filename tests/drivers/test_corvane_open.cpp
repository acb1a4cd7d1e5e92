// Opening the port: CORVANE.INI, the line settings, and the entry points that work
// in any state.
#include <termios.h>

#include <filesystem>

#include "corvane_fixture.h"
#include "termios2_rate.h"

namespace tessaline::testing {
namespace {

TEST_F(CorvaneTest, InitHardwareOpensThePortOfCorvaneIniOrReturns3) {
    struct Case {
        const char* name;
        bool writeIni;
        std::string ini;
        UcanResult result;
    };
    const Case cases[] = {
        {"no CORVANE.INI: COM1, absent here", false, "", UCAN_ERR_HARDWARE},
        {"a port that does not exist", true, "port=/nonexistent/ttyCorvane\n", UCAN_ERR_HARDWARE},
        {"the prefix of older files before a missing port", true, "port=\\\\.\\/nonexistent/tty\n",
         UCAN_ERR_HARDWARE},
        {"the pseudo-terminal, after the prefix of older files", true, "port=\\\\.\\" + adapter.PortPath() + "\r\n",
         UCAN_OK},
        {"the pseudo-terminal again after a close", true, "[init]\nport=" + adapter.PortPath() + "\n", UCAN_OK},
    };
    for (const auto& c : cases) {
        std::filesystem::remove("CORVANE.INI");
        if (c.writeIni) dir.WriteFile("CORVANE.INI", c.ini);
        UcanHandle handle = 0x5A;
        EXPECT_EQ(driver.initHardware(&handle, UCAN_ANY_MODULE, &EventLog::Callback), c.result) << c.name;
        EXPECT_EQ(handle, 0x5A) << c.name << ": the handle byte is never written";
        EXPECT_EQ(driver.deinitHardware(handle), UCAN_OK) << c.name << ": safe after a failed open too";
    }
}

TEST_F(CorvaneTest, WithoutCorvaneIniTheDriverOpensCom1At19200) {
    std::filesystem::create_symlink(adapter.PortPath(), "COM1");
    UcanHandle handle = 0;
    ASSERT_EQ(driver.initHardware(&handle, UCAN_ANY_MODULE, &EventLog::Callback), UCAN_OK);
    EXPECT_EQ(OutputBitRate(adapter.fd()), 19200u);
}

TEST_F(CorvaneTest, OpensInRaw8N1WithoutFlowControlAtTheConfiguredRate) {
    const struct {
        const char* ini;
        std::uint32_t rate;
    } cases[] = {
        {"baud=115200\n", 115200},
        {"baud=250000\n", 250000},  // no Bxxx constant: the custom-rate path
        {"baud=0\n", 19200},
        {"", 19200},
    };
    for (const auto& c : cases) {
        WriteIni(c.ini);
        UcanHandle handle = 0;
        ASSERT_EQ(driver.initHardware(&handle, UCAN_ANY_MODULE, &EventLog::Callback), UCAN_OK) << c.ini;
        EXPECT_EQ(OutputBitRate(adapter.fd()), c.rate) << c.ini;

        // The master end of a pseudo-terminal reports the settings of the port end.
        termios line{};
        ASSERT_EQ(tcgetattr(adapter.fd(), &line), 0);
        EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8)) << c.ini;
        EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u) << c.ini;
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD)) << c.ini;
        EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP | INPCK), 0u) << c.ini;
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u) << c.ini;
        EXPECT_EQ(line.c_oflag & OPOST, 0u) << c.ini;
        EXPECT_EQ(driver.deinitHardware(handle), UCAN_OK);
    }
}

TEST_F(CorvaneTest, ReadCanMsgAnswersInEveryStateAndLeavesTheRecordAlone) {
    CanFrame record{};
    record.Id = 0x12345678;
    const auto expectEmpty = [&](const char* state) {
        CanFrame copy = record;
        EXPECT_EQ(driver.readCanMsg(0, &copy), UCAN_WARN_NO_DATA) << state;
        EXPECT_EQ(std::uint32_t{copy.Id}, std::uint32_t{record.Id}) << state;
    };
    expectEmpty("idle");
    WriteIni();
    UcanHandle handle = 0;
    ASSERT_EQ(driver.initHardware(&handle, UCAN_ANY_MODULE, &EventLog::Callback), UCAN_OK);
    expectEmpty("hardware open");
    ASSERT_EQ(driver.initCan(handle, 0x00, 0x14, 0xFFFFFFFF, 0), UCAN_OK);
    expectEmpty("right after UcanInitCan");
    ASSERT_EQ(driver.deinitCan(handle), UCAN_OK);
    expectEmpty("after UcanDeinitCan");
    ASSERT_EQ(driver.deinitHardware(handle), UCAN_OK);
    expectEmpty("closed again");
    EXPECT_EQ(driver.readCanMsg(0, nullptr), UCAN_WARN_NULL_POINTER) << "no record, no crash";
}

TEST_F(CorvaneTest, GetStatusReportsNoErrors) {
    UcanStatus status{0xFFFF, 0xFFFF};
    EXPECT_EQ(driver.getStatus(0, &status), UCAN_OK);
    EXPECT_EQ(std::uint16_t{status.CanStatus}, 0);
    EXPECT_EQ(std::uint16_t{status.UsbStatus}, 0);
}

}  // namespace
}  // namespace tessaline::testing
