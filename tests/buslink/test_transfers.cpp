#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>

#include "FakeDriver.h"
#include "RecordingUserPort.h"
#include "app/buslink/BusLink.h"
#include "app/buslink/FrameId.h"
#include "app/buslink/uCANprocess.h"
#include "app/buslink/uCANwrProcess.h"

namespace tessaline {
namespace {

using namespace std::chrono_literals;
using testing::FakeDriver;
using testing::RecordingUserPort;

constexpr std::uint8_t kNode = 5;

CanFrame FromDevice(std::uint8_t reg, std::uint8_t flags, std::vector<std::uint8_t> data, std::uint8_t src = kNode,
                    std::uint8_t dest = kPcNode) {
    CanFrame f{};
    f.Id = MakeFrameId(3, dest, src, reg, flags);
    f.FrameFormat = UCAN_FORMAT_EXTENDED;
    f.Dlc = static_cast<std::uint8_t>(data.size());
    std::copy(data.begin(), data.end(), f.Data);
    return f;
}

std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first) {
    std::vector<std::uint8_t> v(count);
    for (std::size_t i = 0; i < count; ++i) v[i] = static_cast<std::uint8_t>(first + i);
    return v;
}

// Plays the device: every frame the workbench writes is handed to respond, whose
// answer frames travel back through the driver's receive thread.
class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        link.SetConnectionType(2);
        ASSERT_TRUE(link.ConnectBus());
        driver.setWriteHook(&TransferTest::OnWrite, this);
    }
    void TearDown() override { driver.setWriteHook(nullptr, nullptr); }

    static void OnWrite(const CanFrame* frame, void* context) {
        auto* self = static_cast<TransferTest*>(context);
        std::vector<CanFrame> answers;
        {
            std::lock_guard lock(self->deviceLock);
            if (self->respond) answers = self->respond(*frame);
        }
        if (!answers.empty()) self->driver.Deliver(answers);
    }

    // Answers each request or acknowledgement on reg with the next of answers.
    void DownloadScript(std::uint8_t reg, std::vector<std::vector<CanFrame>> answers) {
        std::lock_guard lock(deviceLock);
        respond = [reg, answers, next = std::size_t{0}](const CanFrame& f) mutable -> std::vector<CanFrame> {
            if (FrameReg(f) != reg || FrameDest(f) != kNode || !FrameIsRequest(f)) return {};
            return next < answers.size() ? answers[next++] : std::vector<CanFrame>{};
        };
    }

    // Acknowledges every chunk, with R on the chunk number refuseAt (0-based).
    void UploadScript(int refuseAt = -1) {
        std::lock_guard lock(deviceLock);
        respond = [refuseAt, count = 0](const CanFrame& f) mutable -> std::vector<CanFrame> {
            if (FrameReg(f) != 7 || (FrameFlags(f) & fl::W) == 0) return {};
            const std::uint8_t flags = count++ == refuseAt ? fl::R : 0;
            return {FromDevice(7, flags, {})};
        };
    }

    std::vector<CanFrame> Written(std::size_t from = 0) const {
        const auto all = driver.WrittenFrames();
        return {all.begin() + static_cast<std::ptrdiff_t>(from), all.end()};
    }

    RecordingUserPort user;
    ReceiveDispatch dispatch{user};
    FakeDriver driver{"libcorvane.so"};
    BusLink link{user, dispatch, FAKE_DRIVER_DIR};
    TransferBuffer buffer;
    std::mutex deviceLock;
    std::function<std::vector<CanFrame>(const CanFrame&)> respond;
};

TEST_F(TransferTest, DownloadCollectsChunksUntilTheEmptyFrame) {
    const auto block = Bytes(19, 0x10);
    const std::vector<std::uint8_t> part1(block.begin(), block.begin() + 8), part2(block.begin() + 8, block.begin() + 16),
        part3(block.begin() + 16, block.end());
    DownloadScript(1, {{FromDevice(1, 0, part1)}, {FromDevice(1, 0, part2)}, {FromDevice(1, 0, part3)},
                       {FromDevice(1, 0, {})}});
    buffer = {0xEE};  // a download starts from an empty buffer
    CANprocess download(link, dispatch, buffer, kNode, kDownloadMenuList);
    EXPECT_EQ(download.WaitFor(), kTransferDone);
    EXPECT_EQ(buffer, block);

    const auto written = Written();
    ASSERT_EQ(written.size(), 4u) << "the request and three acknowledgements";
    EXPECT_EQ(std::uint32_t{written[0].Id}, MakeFrameId(3, kNode, 63, 1, 0xC0));
    EXPECT_EQ(written[0].FrameFormat, 0xC0);
    for (std::size_t i = 1; i < written.size(); ++i) {
        EXPECT_EQ(std::uint32_t{written[i].Id}, MakeFrameId(3, kNode, 63, 1, 0x80));
        EXPECT_EQ(written[i].FrameFormat, 0xC0);
        EXPECT_EQ(written[i].Dlc, 0);
    }
}

TEST_F(TransferTest, DownloadKeepsGoingOnAnEmptyFrameWithR) {
    DownloadScript(4, {{FromDevice(4, fl::R, {})}, {FromDevice(4, 0, {1, 2, 3})}, {FromDevice(4, 0, {})}});
    CANprocess download(link, dispatch, buffer, kNode, kDownloadErrorList);
    EXPECT_EQ(download.WaitFor(), kTransferDone);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(Written().size(), 3u) << "the R frame is acknowledged too";
}

TEST_F(TransferTest, DownloadDiscardsFramesOfOtherNodes) {
    DownloadScript(4, {{FromDevice(4, 0, {9, 9}, 6),            // from another node
                        FromDevice(4, 0, {8, 8}, kNode, 12),    // to another node
                        FromDevice(4, 0, {7}, kNode)},          // the device's chunk
                       {FromDevice(4, 0, {})}});
    CANprocess download(link, dispatch, buffer, kNode, kDownloadErrorList);
    EXPECT_EQ(download.WaitFor(), kTransferDone);
    EXPECT_EQ(buffer, (std::vector<std::uint8_t>{7}));
    EXPECT_EQ(Written().size(), 2u) << "one acknowledgement only";
}

TEST_F(TransferTest, DownloadTimesOutAfterTheIdleTimeOfItsKind) {
    struct Case {
        std::uint8_t kind;
        std::chrono::milliseconds idle;
    };
    for (const Case c : {Case{kDownloadErrorList, 1000ms}, Case{kDownloadMenuList, 2000ms}}) {
        DownloadScript(0, {});  // a silent device
        const auto start = std::chrono::steady_clock::now();
        CANprocess download(link, dispatch, buffer, kNode, c.kind);
        EXPECT_EQ(download.WaitFor(), kTransferTimedOut) << int(c.kind);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_GE(elapsed, c.idle) << int(c.kind);
        EXPECT_LT(elapsed, c.idle + 1000ms) << int(c.kind) << ": noticed at the next 50 ms check";
    }
}

TEST_F(TransferTest, UploadSendsChunksAndAnEmptyClosingChunk) {
    struct Case {
        std::size_t length;
        std::vector<std::uint8_t> chunkSizes;
    };
    for (const Case& c : {Case{10, {8, 2, 0}}, Case{8, {8, 0}}, Case{17, {8, 8, 1, 0}}}) {
        const std::size_t before = driver.writtenCount();
        UploadScript();
        buffer = Bytes(c.length, 0x40);
        CANwrProcess upload(link, dispatch, buffer, kNode);
        EXPECT_EQ(upload.WaitFor(), kTransferDone) << c.length;
        const auto written = Written(before);
        ASSERT_EQ(written.size(), c.chunkSizes.size()) << c.length;
        std::vector<std::uint8_t> sent;
        for (std::size_t i = 0; i < written.size(); ++i) {
            EXPECT_EQ(written[i].Dlc, c.chunkSizes[i]) << c.length << " chunk " << i;
            EXPECT_EQ(std::uint32_t{written[i].Id}, MakeFrameId(3, kNode, 63, 7, i == 0 ? 0x68 : 0x28));
            EXPECT_EQ(written[i].FrameFormat, 0x80);
            sent.insert(sent.end(), written[i].Data, written[i].Data + written[i].Dlc);
        }
        EXPECT_EQ(sent, buffer) << c.length;
    }
}

TEST_F(TransferTest, RefusedUploadSendsNoFurtherChunk) {
    for (int refuseAt : {0, 1, 2}) {
        const std::size_t before = driver.writtenCount();
        UploadScript(refuseAt);
        buffer = Bytes(20, 0);
        CANwrProcess upload(link, dispatch, buffer, kNode);
        EXPECT_EQ(upload.WaitFor(), kTransferRefused) << refuseAt;
        EXPECT_EQ(Written(before).size(), static_cast<std::size_t>(refuseAt + 1)) << refuseAt;
    }
}

TEST_F(TransferTest, UploadTimesOutWhenTheDeviceIsSilent) {
    buffer = Bytes(3, 0);
    CANwrProcess upload(link, dispatch, buffer, kNode);
    EXPECT_EQ(upload.WaitFor(), kTransferTimedOut);
    EXPECT_EQ(Written().size(), 1u);
}

TEST_F(TransferTest, TransfersRestoreTheReceiveModeAndItsSelection) {
    MenuItemType item;
    WatchList watch;
    dispatch.SetReceiveMode(kModeBrowsing, &item, &watch);
    DownloadScript(1, {{FromDevice(1, 0, {})}});
    {
        CANprocess download(link, dispatch, buffer, kNode, kDownloadMenuList);
        EXPECT_EQ(download.WaitFor(), kTransferDone);
    }
    EXPECT_EQ(dispatch.ReceiveMode(), kModeBrowsing);
    EXPECT_EQ(dispatch.FilterItem(), &item);
    EXPECT_EQ(dispatch.FilterList(), &watch);

    dispatch.SetReceiveMode(kModeIdle);
    UploadScript();
    buffer = Bytes(1, 0);
    {
        CANwrProcess upload(link, dispatch, buffer, kNode);
        EXPECT_EQ(upload.WaitFor(), kTransferDone);
    }
    EXPECT_EQ(dispatch.ReceiveMode(), kModeIdle);
    EXPECT_EQ(dispatch.TargetReg(), 7) << "mode 0 parameters are left as the transfer set them";
}

TEST_F(TransferTest, ReleasingARunningWorkerStopsIt) {
    DownloadScript(0, {});
    const auto start = std::chrono::steady_clock::now();
    {
        CANprocess download(link, dispatch, buffer, kNode, kDownloadDataFile);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms) << "the 2 s idle time-out was not waited out";
}

}  // namespace
}  // namespace tessaline
