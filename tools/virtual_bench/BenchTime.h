// Time on the virtual bench: milliseconds since the bench started. Every model
// is handed the current time, so tests move it on without sleeping.
#pragma once

#include <chrono>

namespace tessaline::bench {

using BenchTime = std::chrono::milliseconds;

}  // namespace tessaline::bench
