// The device's side of a block download: one chunk of up to 8 bytes at a time,
// each after the asker acknowledged the previous one, then an empty frame without
// R that ends the block.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "BenchTime.h"
#include "DeviceBlocks.h"
#include "ucan.h"

namespace tessaline::bench {

class BlockDownload {
public:
    // Starts sending block on reg to asker, replacing any transfer in progress.
    // Every frame, the first included, waits chunkInterval.
    void Start(std::uint8_t reg, std::uint8_t asker, Block block, BenchTime now, BenchTime chunkInterval);

    // An acknowledgement; ignored unless it is for the chunk in flight.
    void Acknowledge(std::uint8_t reg, std::uint8_t asker, BenchTime now);

    // Sends the frame that is due, from node self.
    void Advance(std::uint8_t self, BenchTime now, std::vector<CanFrame>& out);

    std::optional<BenchTime> NextDue() const;
    void Abort() { state_ = State::Idle; }

private:
    enum class State { Idle, Due, AwaitingAck };

    State state_ = State::Idle;
    std::uint8_t reg_ = 0;
    std::uint8_t asker_ = 0;
    Block block_;
    std::size_t sent_ = 0;
    BenchTime interval_{0};
    BenchTime due_{0};
};

}  // namespace tessaline::bench
