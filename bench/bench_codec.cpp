// Adapter packet codec: frames per second through the encoder and the decoder.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "adapter_codec.h"

namespace {

constexpr std::size_t kFrames = 1000;

// Extended data frames of 8 bytes, some of which need stuffing.
CanFrame BenchFrame(std::uint32_t n) {
    CanFrame frame{};
    frame.Id = 0x18000000u | ((n % 63) << 21) | (0x3Fu << 8) | (n & 0x7F);
    frame.FrameFormat = UCAN_FORMAT_EXTENDED;
    frame.Dlc = 8;
    for (std::uint8_t i = 0; i < 8; ++i) frame.Data[i] = static_cast<std::uint8_t>(n * 7 + i * 31);
    return frame;
}

void BM_EncodeFrame(benchmark::State& state) {
    std::vector<CanFrame> frames;
    for (std::uint32_t n = 0; n < kFrames; ++n) frames.push_back(BenchFrame(n));
    std::uint8_t wire[ucan::kMaxEncodedFrame];
    for (auto _ : state) {
        for (const CanFrame& frame : frames) {
            benchmark::DoNotOptimize(ucan::EncodeFrame(frame, wire));
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFrames));
}
BENCHMARK(BM_EncodeFrame);

// A stream of incoming packets as the adapter sends them, each opened by its own END.
std::vector<std::uint8_t> IncomingStream() {
    std::vector<std::uint8_t> stream;
    for (std::uint32_t n = 0; n < kFrames; ++n) {
        const CanFrame frame = BenchFrame(n);
        std::uint8_t packet[12];
        const std::size_t size = ucan::BuildOutgoingPacket(frame, packet);
        std::uint8_t wire[ucan::kMaxEncodedFrame];
        const std::size_t count = ucan::StuffPacket(packet, size, wire);
        stream.insert(stream.end(), wire, wire + count);
    }
    return stream;
}

void BM_DecodeStream(benchmark::State& state) {
    const std::vector<std::uint8_t> stream = IncomingStream();
    std::size_t decoded = 0;
    for (auto _ : state) {
        ucan::PacketDecoder decoder;
        for (std::uint8_t byte : stream) {
            if (!decoder.Feed(byte)) continue;
            CanFrame frame = ucan::PacketToFrame(decoder.Packet(), decoder.Size(), 0);
            benchmark::DoNotOptimize(frame);
            decoder.Consume();
            ++decoded;
        }
    }
    if (decoded != state.iterations() * kFrames) state.SkipWithError("frames lost in decoding");
    state.SetItemsProcessed(static_cast<std::int64_t>(decoded));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_DecodeStream);

}  // namespace

BENCHMARK_MAIN();
