#include "VirtualBus.h"

#include <utility>

namespace tessaline::bench {
namespace {

// Devices answer requests and never requests of their own, so a chain of frames
// is two long; the bound only guards against a description that breaks this.
constexpr std::size_t kMaxFramesPerStep = 4096;

}  // namespace

VirtualBus::VirtualBus(const BenchDescription& description, BenchTime now) : master_(description.secondMaster, now) {
    for (const DeviceDescription& device : description.devices) {
        devices_.push_back(std::make_unique<VirtualDevice>(device, now));
    }
}

void VirtualBus::Record(const CanFrame& frame, FrameOrigin origin, BenchTime now) {
    if (log_.size() == kLogCapacity) log_.pop_front();
    log_.push_back({now, origin, frame});
}

void VirtualBus::Route(std::vector<CanFrame> produced, FrameOrigin origin, BenchTime now,
                       std::vector<CanFrame>& toAdapter) {
    std::deque<std::pair<CanFrame, FrameOrigin>> pending;
    for (const CanFrame& frame : produced) pending.emplace_back(frame, origin);
    std::size_t routed = 0;
    while (!pending.empty() && routed++ < kMaxFramesPerStep) {
        const auto [frame, from] = pending.front();
        pending.pop_front();
        Record(frame, from, now);
        toAdapter.push_back(frame);
        std::vector<CanFrame> answers;
        for (auto& device : devices_) device->Receive(frame, now, answers);
        for (const CanFrame& answer : answers) pending.emplace_back(answer, FrameOrigin::Device);
    }
}

std::vector<CanFrame> VirtualBus::Deliver(const CanFrame& frame, BenchTime now) {
    Record(frame, FrameOrigin::Workbench, now);
    std::vector<CanFrame> answers;
    for (auto& device : devices_) device->Receive(frame, now, answers);
    std::vector<CanFrame> toAdapter;
    Route(std::move(answers), FrameOrigin::Device, now, toAdapter);
    return toAdapter;
}

std::vector<CanFrame> VirtualBus::Advance(BenchTime now) {
    std::vector<CanFrame> toAdapter;
    std::vector<CanFrame> produced;
    for (auto& device : devices_) device->Advance(now, produced);
    Route(std::move(produced), FrameOrigin::Device, now, toAdapter);

    std::vector<std::pair<std::uint8_t, std::uint8_t>> targets;
    if (master_.Enabled()) {
        for (const auto& device : devices_) {
            for (std::uint8_t number : device->MenuRegisters()) targets.emplace_back(device->Address(), number);
        }
    }
    std::vector<CanFrame> reads;
    master_.Advance(targets, now, reads);
    Route(std::move(reads), FrameOrigin::SecondMaster, now, toAdapter);
    return toAdapter;
}

std::optional<BenchTime> VirtualBus::NextDue() const {
    std::optional<BenchTime> due = master_.NextDue();
    for (const auto& device : devices_) {
        const auto next = device->NextDue();
        if (next && (!due || *next < *due)) due = next;
    }
    return due;
}

void VirtualBus::PowerCycle(BenchTime now) {
    for (auto& device : devices_) device->PowerCycle(now);
}

VirtualDevice* VirtualBus::DeviceAt(std::uint8_t address) {
    for (auto& device : devices_) {
        if (device->Address() == address) return device.get();
    }
    return nullptr;
}

}  // namespace tessaline::bench
