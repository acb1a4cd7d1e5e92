#include <gtest/gtest.h>

#include <string>

#include "corvane_settings.h"
#include "temp_work_dir.h"

namespace corvane {
namespace {

using tessaline::testing::TempWorkDir;

const std::string kLongPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0-and-then-some";

struct SettingsCase {
    const char* name;
    std::string text;
    std::string port;
    std::uint32_t bitRate;
};

TEST(ParseCorvaneSettings, Cases) {
    const SettingsCase cases[] = {
        {"empty file keeps the defaults", "", "COM1", 19200},
        {"section header and the prefix the workbench writes", "[init]\r\nport=\\\\.\\COM12\r\n", "COM12", 19200},
        {"device path", "port=/dev/ttyUSB0\n", "/dev/ttyUSB0", 19200},
        {"a key after a leading blank is no key", " port=/dev/ttyS1\n baud=9600\n", "COM1", 19200},
        {"keys are case-sensitive", "Port=/dev/ttyS1\nPORT=/dev/ttyS2\nBaud=9600\n", "COM1", 19200},
        {"bit rate", "baud=115200\n", "COM1", 115200},
        {"the last line wins", "port=/dev/ttyS1\nbaud=9600\nport=/dev/ttyS2\nbaud=57600\n", "/dev/ttyS2", 57600},
        {"CRLF is no part of the value", "port=/dev/ttyACM0\r\nbaud=38400\r\n", "/dev/ttyACM0", 38400},
        {"no line end after the last line", "port=/dev/ttyS3", "/dev/ttyS3", 19200},
        {"a path longer than a line piece is kept whole", "port=" + kLongPath + "\r\nbaud=230400\n", kLongPath,
         230400},
        {"a long port line ends at its line end, not at a key inside it",
         "port=/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0baud=300\n",
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0baud=300", 19200},
        {"the prefix only counts at the start of the value", "port=/dev/\\\\.\\ttyS1\n", "/dev/\\\\.\\ttyS1", 19200},
        {"leading blanks before the number are skipped", "baud=  9600\n", "COM1", 9600},
        {"text after the number is ignored", "baud=4800 ; slow adapter\n", "COM1", 4800},
        {"a value without a number keeps the rate", "baud=115200\nbaud=fast\nbaud=\n", "COM1", 115200},
        {"a negative rate keeps the rate", "baud=-9600\n", "COM1", 19200},
        {"a zero rate keeps the rate", "baud=0\n", "COM1", 19200},
        {"a rate beyond 32 bits keeps the rate", "baud=99999999999\n", "COM1", 19200},
        {"a key right after the first 59 characters counts as a line of its own",
         std::string(59, '#') + "baud=57600\n", "COM1", 57600},
        {"a key one character earlier is inside the piece", std::string(58, '#') + "baud=57600\n", "COM1", 19200},
        {"an empty port value is kept", "port=\n", "", 19200},
    };
    for (const auto& c : cases) {
        const CorvaneSettings settings = ParseCorvaneSettings(c.text);
        EXPECT_EQ(settings.port, c.port) << c.name;
        EXPECT_EQ(settings.bitRate, c.bitRate) << c.name;
    }
}

TEST(ReadCorvaneSettings, ReadsTheFileOfTheWorkingDirectory) {
    TempWorkDir dir;
    EXPECT_EQ(ReadCorvaneSettings().port, "COM1") << "no file: defaults";
    EXPECT_EQ(ReadCorvaneSettings().bitRate, 19200u);

    dir.WriteFile("corvane.ini", "port=/dev/ttyS7\n");
    EXPECT_EQ(ReadCorvaneSettings().port, "COM1") << "the file name is CORVANE.INI exactly";

    dir.WriteFile("CORVANE.INI", "[init]\nport=\\\\.\\/dev/ttyUSB3\nbaud=500000\n");
    const CorvaneSettings settings = ReadCorvaneSettings();
    EXPECT_EQ(settings.port, "/dev/ttyUSB3");
    EXPECT_EQ(settings.bitRate, 500000u);
}

}  // namespace
}  // namespace corvane
