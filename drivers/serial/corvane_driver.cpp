#include "corvane_driver.h"

#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>

#include "corvane_settings.h"

namespace corvane {

namespace {

// The millisecond tick count that stamps received frames; wraps at 2^32.
std::uint32_t TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

CorvaneDriver& Driver() {
    static CorvaneDriver driver;
    return driver;
}

CorvaneDriver::~CorvaneDriver() { DeinitHardware(); }

UcanResult CorvaneDriver::InitHardware(UcanEventCallback callback) {
    std::lock_guard lifecycle(lifecycleLock_);
    const CorvaneSettings settings = ReadCorvaneSettings();
    eventCallback_.store(callback);
    // A port still open from an earlier call goes first: opened for exclusive use,
    // it would refuse being opened again.
    StopReceiving();
    std::lock_guard lock(portLock_);
    port_.reset();
    port_ = SerialPort::Open(settings.port, settings.bitRate);
    return port_ ? UCAN_OK : UCAN_ERR_HARDWARE;
}

UcanResult CorvaneDriver::DeinitHardware() {
    std::lock_guard lifecycle(lifecycleLock_);
    StopReceiving();
    {
        std::lock_guard lock(portLock_);
        port_.reset();
    }
    connectCallback_.store(nullptr);
    eventCallback_.store(nullptr);
    return UCAN_OK;
}

UcanResult CorvaneDriver::InitCan() {
    std::lock_guard lifecycle(lifecycleLock_);
    StopReceiving();
    int portFd = -1;
    {
        std::lock_guard lock(portLock_);
        if (port_) portFd = port_->fd();
    }
    if (portFd < 0) return UCAN_ERR_NOT_INITIALIZED;
    stopSignal_ = StopSignal::Create();
    if (!stopSignal_) return UCAN_ERR_RESOURCE;

    queue_.Clear();
    WriteToPort(&ucan::kEnd, 1);
    receiveThread_ = std::thread([this, portFd, stopFd = stopSignal_->fd()] { ReceiveLoop(portFd, stopFd); });
    return UCAN_OK;
}

UcanResult CorvaneDriver::DeinitCan() {
    std::lock_guard lifecycle(lifecycleLock_);
    StopReceiving();
    WriteToPort(ucan::kCloseSequence, sizeof ucan::kCloseSequence);
    return UCAN_OK;
}

UcanResult CorvaneDriver::ReadCanMsg(CanFrame* frame) {
    if (frame == nullptr) return UCAN_WARN_NULL_POINTER;
    return queue_.Pop(*frame) ? UCAN_OK : UCAN_WARN_NO_DATA;
}

UcanResult CorvaneDriver::WriteCanMsg(const CanFrame* frame) {
    if (frame == nullptr) return UCAN_WARN_NULL_POINTER;
    std::uint8_t wire[ucan::kMaxEncodedFrame];
    const std::size_t count = ucan::EncodeFrame(*frame, wire);
    WriteToPort(wire, count);
    return UCAN_OK;
}

void CorvaneDriver::StopReceiving() {
    if (receiveThread_.joinable()) {
        stopSignal_->Raise();
        receiveThread_.join();
    }
    stopSignal_.reset();
}

void CorvaneDriver::ReceiveLoop(int portFd, int stopFd) {
    ucan::PacketDecoder decoder;
    std::array<std::uint8_t, kReadChunk> bytes;
    std::array<pollfd, 2> waits{{{stopFd, POLLIN, 0}, {portFd, POLLIN, 0}}};
    // Once the port has gone (unplugged, hung up) it would wake every poll at
    // once: from then on only the stop request is waited for.
    nfds_t watched = waits.size();
    for (;;) {
        if (poll(waits.data(), watched, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (waits[0].revents != 0) return;
        if (watched == 1) continue;

        const short port = waits[1].revents;
        if (port & POLLIN) {
            const ssize_t count = read(portFd, bytes.data(), bytes.size());
            if (count > 0) {
                Decode(bytes.data(), static_cast<std::size_t>(count), decoder);
                continue;
            }
            if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) continue;
            watched = 1;  // end of file on a tty, or a read error: the port has gone
        } else if (port & (POLLHUP | POLLERR | POLLNVAL)) {
            watched = 1;
        }
    }
}

void CorvaneDriver::Decode(const std::uint8_t* bytes, std::size_t count, ucan::PacketDecoder& decoder) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!decoder.Feed(bytes[i])) continue;
        const CanFrame frame = ucan::PacketToFrame(decoder.Packet(), decoder.Size(), TickCount());
        decoder.Consume();
        if (!queue_.Push(frame)) continue;
        if (const UcanEventCallback callback = eventCallback_.load()) callback(0, UCAN_EVENT_RECEIVE);
    }
}

void CorvaneDriver::WriteToPort(const std::uint8_t* bytes, std::size_t count) {
    std::lock_guard lock(portLock_);
    if (port_) port_->Write(bytes, count);
}

}  // namespace corvane
