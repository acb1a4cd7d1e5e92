// Another master on the bus: while switched on it reads one register of one device
// per period, going round all devices and their menu registers, so that frames
// between other nodes show on the bus.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "BenchDescription.h"
#include "ucan.h"

namespace tessaline::bench {

class SecondMaster {
public:
    explicit SecondMaster(const SecondMasterDescription& description, BenchTime now);

    std::uint8_t Address() const { return address_; }
    bool Enabled() const { return enabled_; }
    void Enable(bool on, BenchTime now);

    // targets: (device address, register) pairs to read in turn.
    void Advance(const std::vector<std::pair<std::uint8_t, std::uint8_t>>& targets, BenchTime now,
                 std::vector<CanFrame>& out);
    std::optional<BenchTime> NextDue() const;

private:
    std::uint8_t address_;
    BenchTime period_;
    bool enabled_;
    BenchTime next_;
    std::size_t turn_ = 0;
};

}  // namespace tessaline::bench
