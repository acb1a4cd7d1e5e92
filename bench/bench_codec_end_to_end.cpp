// libcorvane.so end to end: frames written into a pseudo-terminal as fast as the
// adapter's end takes them, counted in the event callback as the workbench drains
// them. Every frame must arrive, in order.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "frame_literal.h"
#include "pty_adapter.h"
#include "temp_work_dir.h"
#include "ucan.h"

namespace {

using tessaline::testing::Bytes;
using tessaline::testing::NumberedPacket;
using tessaline::testing::NumberOf;
using tessaline::testing::PtyAdapter;
using tessaline::testing::TempWorkDir;

constexpr std::uint32_t kBatch = 2000;

// What the event callback saw; it runs on the driver's receive thread.
struct Delivery {
    std::mutex lock;
    std::condition_variable changed;
    std::uint64_t frames = 0;
    std::uint64_t outOfOrder = 0;
};
Delivery delivery;

void DrainOnEvent(UcanHandle handle, std::uint8_t event) {
    if (event != UCAN_EVENT_RECEIVE) return;
    CanFrame frame{};
    std::uint64_t count = 0;
    std::uint64_t wrong = 0;
    {
        std::lock_guard lock(delivery.lock);
        count = delivery.frames;
    }
    while (UcanReadCanMsg(handle, &frame) == UCAN_OK) {
        if (NumberOf(frame) != (count & 0xFFFFFF)) ++wrong;
        ++count;
    }
    {
        std::lock_guard lock(delivery.lock);
        delivery.frames = count;
        delivery.outOfOrder += wrong;
    }
    delivery.changed.notify_all();
}

Bytes Batch(std::uint32_t first) {
    Bytes stream;
    for (std::uint32_t n = first; n < first + kBatch; ++n) {
        const Bytes packet = NumberedPacket(n);
        stream.insert(stream.end(), packet.begin(), packet.end());
    }
    return stream;
}

void BM_CorvaneEndToEnd(benchmark::State& state) {
    TempWorkDir dir;
    PtyAdapter adapter;
    dir.WriteFile("CORVANE.INI", "[init]\nport=" + adapter.PortPath() + "\nbaud=115200\n");
    UcanHandle handle = 0;
    if (UcanInitHardware(&handle, UCAN_ANY_MODULE, &DrainOnEvent) != UCAN_OK ||
        UcanInitCan(handle, 0x00, 0x14, 0xFFFFFFFF, 0) != UCAN_OK) {
        state.SkipWithError("the driver does not open the pseudo-terminal");
        return;
    }
    {
        std::lock_guard lock(delivery.lock);
        delivery.frames = 0;
        delivery.outOfOrder = 0;
    }
    std::uint64_t sent = 0;
    bool complete = true;
    for (auto _ : state) {
        adapter.Send(Batch(static_cast<std::uint32_t>(sent)));
        sent += kBatch;
        std::unique_lock lock(delivery.lock);
        complete = delivery.changed.wait_for(lock, std::chrono::seconds(10), [&] { return delivery.frames >= sent; });
        if (!complete) break;
    }
    UcanDeinitCan(handle);
    UcanDeinitHardware(handle);

    std::lock_guard lock(delivery.lock);
    state.counters["lost"] = static_cast<double>(sent - delivery.frames);
    state.counters["out_of_order"] = static_cast<double>(delivery.outOfOrder);
    if (!complete || delivery.outOfOrder != 0) state.SkipWithError("frames lost or out of order");
    state.SetItemsProcessed(static_cast<std::int64_t>(delivery.frames));
}
BENCHMARK(BM_CorvaneEndToEnd)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
