#include "MovingValue.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tessaline::bench {
namespace {

// A bench left alone for hours catches up with at most this many walk steps.
constexpr int kMaxCatchUpSteps = 1000;

}  // namespace

MovingValue::MovingValue(const Generator& generator, double startValue, std::uint32_t seed, BenchTime start)
    : generator_(generator),
      start_(start),
      walk_(std::clamp(startValue, std::min(generator.low, generator.high), std::max(generator.low, generator.high))),
      nextStep_(start + generator.period),
      random_(seed == 0 ? 1 : seed) {}

double MovingValue::At(BenchTime now) {
    const double period = static_cast<double>(generator_.period.count());
    const double phase = std::fmod(static_cast<double>((now - start_).count()), period) / period;
    const double span = generator_.high - generator_.low;
    switch (generator_.kind) {
    case Generator::Kind::Constant:
        return walk_;
    case Generator::Kind::Ramp:
        return generator_.low + span * phase;
    case Generator::Kind::Sine:
        return generator_.low + span * (0.5 + 0.5 * std::sin(2.0 * std::numbers::pi * phase));
    case Generator::Kind::RandomWalk: {
        if (now - nextStep_ > generator_.period * kMaxCatchUpSteps) {
            nextStep_ = now - generator_.period * kMaxCatchUpSteps;
        }
        std::uniform_real_distribution<double> change(-generator_.step, generator_.step);
        const double lowest = std::min(generator_.low, generator_.high);
        const double highest = std::max(generator_.low, generator_.high);
        while (nextStep_ <= now) {
            walk_ = std::clamp(walk_ + change(random_), lowest, highest);
            nextStep_ += generator_.period;
        }
        return walk_;
    }
    }
    return walk_;
}

}  // namespace tessaline::bench
