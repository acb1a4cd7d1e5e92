// The simulated bus: the devices of a bench and the second master. A frame put on
// the bus reaches every device (each acts only on frames addressed to it), and
// every frame that a device or the second master puts on the bus goes to the
// adapter as well. Keeps a log of the most recent frames for tests to look at.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "BenchDescription.h"
#include "SecondMaster.h"
#include "VirtualDevice.h"

namespace tessaline::bench {

enum class FrameOrigin { Workbench, Device, SecondMaster };

struct BusRecord {
    BenchTime time;
    FrameOrigin origin;
    CanFrame frame;
};

class VirtualBus {
public:
    static constexpr std::size_t kLogCapacity = 10000;

    VirtualBus(const BenchDescription& description, BenchTime now);

    // A frame from the workbench; returns the frames this puts on the bus in
    // answer, in order: all of them travel to the workbench through the adapter.
    std::vector<CanFrame> Deliver(const CanFrame& frame, BenchTime now);
    // What falls due by now: listened values, error reports, chunks, master reads.
    std::vector<CanFrame> Advance(BenchTime now);
    std::optional<BenchTime> NextDue() const;
    void PowerCycle(BenchTime now);

    std::size_t DeviceCount() const { return devices_.size(); }
    VirtualDevice& DeviceByIndex(std::size_t index) { return *devices_[index]; }
    // First device that answers under address; nullptr when there is none.
    VirtualDevice* DeviceAt(std::uint8_t address);
    SecondMaster& Master() { return master_; }

    const std::deque<BusRecord>& Log() const { return log_; }

private:
    void Route(std::vector<CanFrame> produced, FrameOrigin origin, BenchTime now, std::vector<CanFrame>& toAdapter);
    void Record(const CanFrame& frame, FrameOrigin origin, BenchTime now);

    std::vector<std::unique_ptr<VirtualDevice>> devices_;
    SecondMaster master_;
    std::deque<BusRecord> log_;
};

}  // namespace tessaline::bench
