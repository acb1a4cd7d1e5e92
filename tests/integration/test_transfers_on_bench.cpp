// Block transfers, menu and error list parsing against the virtual bench through
// libcorvane.so and a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "BenchOnCorvane.h"
#include "VirtualBus.h"
#include "app/buslink/BlockCrc.h"
#include "app/buslink/uCANprocess.h"
#include "app/buslink/uCANwrProcess.h"
#include "app/menus/MenuParser.h"

namespace tessaline {
namespace {

using namespace std::chrono_literals;
using testing::BenchOnCorvane;

class TransfersOnBench : public BenchOnCorvane {
protected:
    std::uint32_t Download(std::uint8_t node, std::uint8_t kind) {
        CANprocess worker(workbench.link, workbench.dispatch, workbench.buffer, node, kind);
        return worker.WaitFor();
    }
    std::uint32_t Upload(std::uint8_t node) {
        CANwrProcess worker(workbench.link, workbench.dispatch, workbench.buffer, node);
        return worker.WaitFor();
    }
    bench::DeviceFaults& Faults(bench::VirtualBus& bus, std::uint8_t node) { return bus.DeviceAt(node)->Faults(); }
};

TEST_F(TransfersOnBench, EveryMenuAndErrorListOfTheDefaultBenchDownloadsAndParses) {
    std::size_t menuEntries = 0;
    std::size_t errorEntries = 0;
    for (const auto& device : Description().devices) {
        SCOPED_TRACE(device.name);
        ASSERT_EQ(Download(device.address, kDownloadMenuList), kTransferDone);
        EXPECT_TRUE(BlockIsValid(workbench.buffer));
        EXPECT_EQ(ParseMenuFile(workbench.buffer, device.address, workbench.devices, workbench.items),
                  MenuParseResult::Parsed);
        ASSERT_EQ(Download(device.address, kDownloadErrorList), kTransferDone);
        EXPECT_EQ(ParseErrorList(workbench.buffer, device.address, workbench.errors), MenuParseResult::Parsed);
        menuEntries += device.menu.size();
        errorEntries += device.errors.size();
    }
    EXPECT_EQ(workbench.items.size(), menuEntries);
    EXPECT_EQ(workbench.errors.size(), errorEntries);
    EXPECT_GE(workbench.items.size(), 150u);
}

TEST_F(TransfersOnBench, UploadedDataFileReadsBackByteForByte) {
    const std::uint8_t node = Description().devices.front().address;
    std::vector<std::uint8_t> payload(301);
    std::iota(payload.begin(), payload.end(), std::uint8_t{0xB0});  // C0 and DB among them
    const TransferBuffer block = SealBlock(payload);
    workbench.buffer = block;
    ASSERT_EQ(Upload(node), kTransferDone);
    workbench.buffer.clear();
    ASSERT_EQ(Download(node, kDownloadDataFile), kTransferDone);
    EXPECT_EQ(workbench.buffer, block);
}

TEST_F(TransfersOnBench, UploadsAreRefusedForABadCheckWordOrByTheDevice) {
    const std::uint8_t node = Description().devices.front().address;
    TransferBuffer block = SealBlock(std::vector<std::uint8_t>(20, 0x55));
    block[1] ^= 0x01;
    workbench.buffer = block;
    EXPECT_EQ(Upload(node), kTransferRefused);

    OnBus([&](bench::VirtualBus& bus) { Faults(bus, node).refuseUpload = true; });
    workbench.buffer = SealBlock(std::vector<std::uint8_t>(20, 0x55));
    EXPECT_EQ(Upload(node), kTransferRefused);
}

TEST_F(TransfersOnBench, SilentDeviceEndsDownloadsAtTheIdleTimeOut) {
    const std::uint8_t node = Description().devices.front().address;
    OnBus([&](bench::VirtualBus& bus) { Faults(bus, node).silent = true; });
    for (const auto& [kind, idle] : {std::pair{kDownloadErrorList, 1000ms}, std::pair{kDownloadMenuList, 2000ms}}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Download(node, kind), kTransferTimedOut);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_GE(elapsed, idle);
        EXPECT_LT(elapsed, idle + 1000ms);
    }
}

TEST_F(TransfersOnBench, TrickleOfChunksEndsAMenuDownloadAtTheTotalTimeOut) {
    const std::uint8_t node = Description().devices.front().address;
    OnBus([&](bench::VirtualBus& bus) { Faults(bus, node).chunkInterval = bench::BenchTime(1500); });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Download(node, kDownloadMenuList), kTransferTimedOut);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, 15s);
    EXPECT_LT(elapsed, 16500ms);
    EXPECT_FALSE(workbench.buffer.empty()) << "what arrived before the time-out stays";
}

TEST_F(TransfersOnBench, MenuFaultsGiveTheWorkbenchOutcomes) {
    const auto& devices = Description().devices;
    const std::uint8_t crcNode = devices[0].address;
    const std::uint8_t noMenuNode = devices[1].address;
    OnBus([&](bench::VirtualBus& bus) {
        Faults(bus, crcNode).badMenuCrc = true;
        Faults(bus, noMenuNode).noMenuList = true;
        Faults(bus, noMenuNode).noErrorList = true;
    });
    MenuCapture capture(workbench.CaptureShared());
    const auto ids = Scan(capture);
    ASSERT_EQ(ids.size(), devices.size());
    capture.Load({crcNode, noMenuNode});
    EXPECT_THAT(user.Errors(), ::testing::ElementsAre("CRC error"));
    EXPECT_THAT(user.Events(), ::testing::ElementsAre(testing::EventRow{2, noMenuNode, "No menu list"},
                                                      testing::EventRow{2, noMenuNode, "No error list"}));
    EXPECT_TRUE(workbench.items.empty());
    EXPECT_EQ(workbench.errors.size(), devices[0].errors.size()) << "the CRC device's error list still loads";
}

}  // namespace
}  // namespace tessaline
