// A register value that moves with time: a ramp, a sine or a random walk between
// low and high. Ramp and sine are functions of the time since start; the random
// walk takes one seeded step per period, so a run is repeatable.
#pragma once

#include <cstdint>
#include <random>

#include "BenchDescription.h"

namespace tessaline::bench {

class MovingValue {
public:
    MovingValue(const Generator& generator, double startValue, std::uint32_t seed, BenchTime start);

    // The value at now; now never goes back. A constant generator keeps startValue.
    double At(BenchTime now);

private:
    Generator generator_;
    BenchTime start_;
    double walk_;
    BenchTime nextStep_;
    std::minstd_rand random_;
};

}  // namespace tessaline::bench
