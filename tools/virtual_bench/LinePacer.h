// Paces output to what a serial line of a given bit rate carries, 10 bits a
// byte (start, 8 data, stop). A rate of 0 means no pacing.
#pragma once

#include <chrono>
#include <cstddef>

namespace tessaline::bench {

class LinePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit LinePacer(unsigned bitsPerSecond) : bitsPerSecond_(bitsPerSecond) {}

    // How long the line stays busy with what was sent before now.
    Clock::duration Busy(Clock::time_point now) const {
        return freeAt_ > now ? freeAt_ - now : Clock::duration::zero();
    }

    // Bytes handed to the line at now; they follow what is still on it.
    void Sent(std::size_t bytes, Clock::time_point now) {
        if (bitsPerSecond_ == 0) return;
        const auto start = freeAt_ > now ? freeAt_ : now;
        freeAt_ = start + std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(
                              static_cast<long long>(bytes) * 10 * 1'000'000'000LL / bitsPerSecond_));
    }

    // Bytes worth about 10 ms of the line: the size of one paced write.
    std::size_t SliceBytes() const { return bitsPerSecond_ == 0 ? 4096 : bitsPerSecond_ / 1000 + 1; }

private:
    unsigned bitsPerSecond_;
    Clock::time_point freeAt_{};
};

}  // namespace tessaline::bench
