#include "BlockDownload.h"

#include <algorithm>

#include "BusFrame.h"

namespace tessaline::bench {

void BlockDownload::Start(std::uint8_t reg, std::uint8_t asker, Block block, BenchTime now, BenchTime chunkInterval) {
    state_ = State::Due;
    reg_ = reg;
    asker_ = asker;
    block_ = std::move(block);
    sent_ = 0;
    interval_ = chunkInterval;
    due_ = now + chunkInterval;
}

void BlockDownload::Acknowledge(std::uint8_t reg, std::uint8_t asker, BenchTime now) {
    if (state_ != State::AwaitingAck || reg != reg_ || asker != asker_) return;
    state_ = State::Due;
    due_ = now + interval_;
}

void BlockDownload::Advance(std::uint8_t self, BenchTime now, std::vector<CanFrame>& out) {
    if (state_ != State::Due || now < due_) return;
    if (sent_ == block_.size()) {
        out.push_back(BusFrame(asker_, self, reg_, 0));
        state_ = State::Idle;
        return;
    }
    const std::size_t count = std::min<std::size_t>(8, block_.size() - sent_);
    out.push_back(BusFrame(asker_, self, reg_, 0, block_.data() + sent_, count));
    sent_ += count;
    state_ = State::AwaitingAck;
}

std::optional<BenchTime> BlockDownload::NextDue() const {
    if (state_ != State::Due) return std::nullopt;
    return due_;
}

}  // namespace tessaline::bench
