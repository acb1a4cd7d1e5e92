#include "app/buslink/DriverErrorText.h"

#include <array>
#include <utility>

namespace tessaline {

std::string DriverErrorText(std::uint8_t code) {
    // The texts are shown exactly as the adapter vendors wrote them, spaces included.
    static constexpr std::array<std::pair<std::uint8_t, const char*>, 22> kTexts{{
        {1, "could not created a resource (memory, Handle, ...)"},
        {2, " The maximum number of open modules is exceeded "},
        {3, " No connection or module is not powered  "},
        {4, " The software versions of the module and DLL are incompatible "},
        {5, " USB error. No USB-CAN module found "},
        {6, " Wrong USB-CAN-Handle handed over to the function "},
        {7, " Wrong parameter handed over to the function "},
        {8, " Instruction can not be processed at this time "},
        {9, " No answer from the module. Probably completely dead "},
        {10, " A request for the driver failed "},
        {11, " The message did not fit into the transmission queue "},
        {12, " Maximum number of applications is reached "},
        {13, " CAN-interface is not yet initialized "},
        {14, " Error on loading DLL"},
        {64, "the received response does not match with the transmitted command"},
        {65, "no access to the CAN controler possible"},
        {66, "the module could not interpret the command"},
        {67, "error while reading the EEPROM occured"},
        {128, "no CAN messages received"},
        {129, "overrun in the receive queue of the driver"},
        {130, "overrun in the receive queue of the DLL"},
        {144, "pointer to address is NULL (function will not work correctly"},
    }};
    for (const auto& [known, text] : kTexts) {
        if (known == code) return text;
    }
    return {};
}

std::string CanStatusText(unsigned bit) {
    static constexpr std::array<const char*, 10> kTexts{
        "Tx-buffer of the CAN controller is full",
        "Rx-buffer of the CAN controller is full",
        "Bus error: Error Limit 1 exceeded",
        "Bus error: Error Limit 2 exceeded",
        "Bus error: CAN controller has gone into Bus-Off state",
        "RcvQueue is empty",
        "RcvQueue overrun",
        "Transmit queue is full",
        "Register test of the SJA1000 failed",
        "Register test of the SJA1000 failed",
    };
    return bit < kTexts.size() ? kTexts[bit] : std::string{};
}

}  // namespace tessaline
