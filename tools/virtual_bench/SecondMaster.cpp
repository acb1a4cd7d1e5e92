#include "SecondMaster.h"

#include "BusFrame.h"

namespace tessaline::bench {

SecondMaster::SecondMaster(const SecondMasterDescription& description, BenchTime now)
    : address_(description.address), period_(description.period), enabled_(description.enabled), next_(now) {}

void SecondMaster::Enable(bool on, BenchTime now) {
    if (on && !enabled_) next_ = now;
    enabled_ = on;
}

void SecondMaster::Advance(const std::vector<std::pair<std::uint8_t, std::uint8_t>>& targets, BenchTime now,
                           std::vector<CanFrame>& out) {
    if (!enabled_ || next_ > now) return;
    next_ += period_;
    if (next_ <= now) next_ = now + period_;
    if (targets.empty()) return;
    const auto& [device, number] = targets[turn_++ % targets.size()];
    out.push_back(BusFrame(device, address_, number, fl::Rtr));
}

std::optional<BenchTime> SecondMaster::NextDue() const {
    if (!enabled_) return std::nullopt;
    return next_;
}

}  // namespace tessaline::bench
