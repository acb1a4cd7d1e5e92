// Block download throughput over a pseudo-terminal: the workbench core, the real
// libcorvane.so and the virtual bench, unpaced and with the adapter paced at
// 115200 bit/s, next to what stop-and-wait allows on such a line.
#include <chrono>
#include <cstdio>
#include <string>

#include "BenchSession.h"
#include "app/UserPort.h"
#include "app/Workbench.h"
#include "app/buslink/DriverLibrary.h"
#include "app/buslink/uCANprocess.h"

namespace {

using namespace tessaline;

class QuietUserPort : public UserPort {
public:
    void AddEvent(std::uint8_t, std::uint8_t, const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    void SetStatusText(const std::string&) override {}
    void ShowError(const std::string& text) override { std::fprintf(stderr, "error: %s\n", text.c_str()); }
    void EchoFrame(const CanFrame&, FrameDirection) override {}
    void RunOnGuiThread(const std::function<void()>& call) override { call(); }
};

// Bytes on the line for one 8-byte chunk: the device's data packet as the adapter
// sends it (END, 4 header bytes, 8 data bytes, destination, END) and the
// workbench's acknowledgement (END, 4 header bytes, END), stuffing aside.
constexpr double kChunkBytesFromAdapter = 15;
constexpr double kAckBytesToAdapter = 6;

struct Measured {
    std::size_t bytes = 0;
    double seconds = 0;
};

bool Measure(unsigned baud, int rounds, Measured& out) {
    testing::BenchSession session(baud);
    if (auto error = session.Start(std::string(BENCH_DIR) + "/default.json")) {
        std::fprintf(stderr, "bench: %s\n", error->c_str());
        return false;
    }
    // The device with the longest menu gives the longest block.
    std::uint8_t node = 0;
    std::size_t longest = 0;
    for (const auto& d : session.Description().devices) {
        if (d.menu.size() > longest) {
            longest = d.menu.size();
            node = d.address;
        }
    }
    QuietUserPort user;
    Workbench workbench(user, ProgramDirectory());
    workbench.link.SetConnectionType(2);
    if (!workbench.link.ConnectBus()) return false;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        CANprocess download(workbench.link, workbench.dispatch, workbench.buffer, node, kDownloadMenuList);
        if (download.WaitFor() != kTransferDone) return false;
        out.bytes += workbench.buffer.size();
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    workbench.link.DisconnectBus();
    return true;
}

}  // namespace

int main() {
    std::printf("block download throughput (menu list of the longest menu, kind 1)\n");
    Measured unpaced;
    if (!Measure(0, 20, unpaced)) return 1;
    std::printf("  unpaced:        %8zu bytes in %6.3f s = %9.0f bytes/s\n", unpaced.bytes, unpaced.seconds,
                static_cast<double>(unpaced.bytes) / unpaced.seconds);

    constexpr unsigned kBaud = 115200;
    Measured paced;
    if (!Measure(kBaud, 3, paced)) return 1;
    const double rate = static_cast<double>(paced.bytes) / paced.seconds;
    const double bytesPerSecond = kBaud / 10.0;
    const double bothWays = 8 * bytesPerSecond / (kChunkBytesFromAdapter + kAckBytesToAdapter);
    const double adapterOnly = 8 * bytesPerSecond / kChunkBytesFromAdapter;
    std::printf("  paced %6u:   %8zu bytes in %6.3f s = %9.0f bytes/s\n", kBaud, paced.bytes, paced.seconds, rate);
    std::printf("  stop-and-wait limit, data and acknowledgement both at %u bit/s: %6.0f bytes/s (%5.1f %%)\n",
                kBaud, bothWays, 100 * rate / bothWays);
    std::printf("  stop-and-wait limit, only the adapter's output paced (as the bench paces): %6.0f bytes/s (%5.1f %%)\n",
                adapterOnly, 100 * rate / adapterOnly);
    return 0;
}
