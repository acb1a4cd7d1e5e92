#include <gtest/gtest.h>

#include "LinePacer.h"

namespace tessaline::bench {
namespace {

using std::chrono::microseconds;

TEST(LinePacer, KeepsTheLineBusyForTenBitsPerByte) {
    LinePacer pacer(19200);
    const LinePacer::Clock::time_point t0{};
    pacer.Sent(96, t0);  // 960 bits at 19200 bit/s: 50 ms
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.Busy(t0)).count(), 50000);
    // Bytes sent while the line is busy queue behind the earlier ones.
    pacer.Sent(96, t0 + microseconds(10000));
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.Busy(t0 + microseconds(10000))).count(), 90000);
    EXPECT_EQ(pacer.Busy(t0 + microseconds(100000)), LinePacer::Clock::duration::zero());
}

TEST(LinePacer, WithoutABitRateTheLineIsNeverBusy) {
    LinePacer pacer(0);
    const LinePacer::Clock::time_point t0{};
    pacer.Sent(100000, t0);
    EXPECT_EQ(pacer.Busy(t0), LinePacer::Clock::duration::zero());
}

}  // namespace
}  // namespace tessaline::bench
