// One instrument on the virtual bench, modelled at frame level: it takes the
// frames addressed to it and puts its answers on the bus, and with Advance it
// sends what falls due with time (listened values, error reports, paced chunks).
//
// Registers with a fixed role: 0 name, 1 menu list, 2 error set, 4 error list,
// 5 node address, 7 data file. Menu registers use the other numbers up to 127.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "BenchDescription.h"
#include "BlockDownload.h"
#include "BlockUpload.h"
#include "MovingValue.h"
#include "ucan.h"

namespace tessaline::bench {

namespace reg {
inline constexpr std::uint8_t Name = 0;
inline constexpr std::uint8_t MenuList = 1;
inline constexpr std::uint8_t Errors = 2;
inline constexpr std::uint8_t ErrorList = 4;
inline constexpr std::uint8_t NodeAddress = 5;
inline constexpr std::uint8_t DataFile = 7;
}  // namespace reg

// True for register numbers that a menu entry may not use.
bool IsReservedRegister(std::uint8_t number);

class VirtualDevice {
public:
    VirtualDevice(DeviceDescription description, BenchTime now);
    // Registers point into the device's own description.
    VirtualDevice(const VirtualDevice&) = delete;
    VirtualDevice& operator=(const VirtualDevice&) = delete;

    // A frame on the bus; the device acts only on frames addressed to it.
    void Receive(const CanFrame& frame, BenchTime now, std::vector<CanFrame>& out);
    void Advance(BenchTime now, std::vector<CanFrame>& out);
    // The earliest time at which Advance has something to send; none while idle.
    std::optional<BenchTime> NextDue() const;

    // Back to the state after switching on: values from nonvolatile memory or
    // the description, no listening, no reports, no transfer, the initial errors.
    // Address, name and data file are kept, as the device keeps them.
    void PowerCycle(BenchTime now);

    std::uint8_t Address() const { return address_; }
    const std::string& Name() const { return name_; }
    const DeviceDescription& Description() const { return description_; }
    // The menu entry of a register; nullptr for numbers the menu does not list.
    const MenuEntry* Entry(std::uint8_t number) const;
    std::vector<std::uint8_t> MenuRegisters() const;

    std::optional<RegisterValue> Value(std::uint8_t number, BenchTime now);
    // Sets a register as the device itself would (a measurement changing), not
    // limited and regardless of rights; a moving value stops moving.
    bool SetValue(std::uint8_t number, const RegisterValue& value);
    std::vector<std::uint8_t> Listeners(std::uint8_t number) const;
    std::vector<std::uint8_t> ErrorReportListeners() const;

    std::uint16_t Errors() const { return errors_; }
    void RaiseErrors(std::uint16_t mask) { errors_ = static_cast<std::uint16_t>(errors_ | mask); }
    void ClearErrors(std::uint16_t mask) { errors_ = static_cast<std::uint16_t>(errors_ & ~mask); }

    const Block& DataFile() const { return dataFile_; }

    DeviceFaults& Faults() { return faults_; }
    const DeviceFaults& Faults() const { return faults_; }

private:
    struct Register {
        const MenuEntry* entry = nullptr;
        RegisterValue value;
        std::optional<RegisterValue> programmed;
        std::optional<MovingValue> moving;
        std::map<std::uint8_t, BenchTime> listeners;  // asker -> next value frame
    };

    void Request(std::uint8_t number, std::uint8_t flags, std::uint8_t asker, BenchTime now,
                 std::vector<CanFrame>& out);
    void DataFrame(const CanFrame& frame, std::uint8_t asker, BenchTime now, std::vector<CanFrame>& out);
    static void Write(Register& r, const CanFrame& frame, bool program);
    void StartDownload(std::uint8_t number, std::uint8_t asker, BenchTime now);
    void SendValue(Register& r, std::uint8_t number, std::uint8_t asker, BenchTime now, std::vector<CanFrame>& out);
    void RunErrorSchedule(BenchTime now);
    void SendErrorReports(BenchTime now, std::vector<CanFrame>& out);
    void ResetRegisters(BenchTime now);
    void Emit(BenchTime now, std::vector<CanFrame>& out);

    DeviceDescription description_;
    std::uint8_t address_;
    std::string name_;
    DeviceFaults faults_;
    std::map<std::uint8_t, Register> registers_;

    std::uint16_t errors_ = 0;
    std::uint16_t reportedErrors_ = 0;
    std::map<std::uint8_t, BenchTime> errorListeners_;  // asker -> next periodic report
    BenchTime scheduleCycleStart_{0};
    std::size_t scheduleStep_ = 0;

    BlockDownload download_;
    BlockUpload upload_;
    Block dataFile_;
};

}  // namespace tessaline::bench
