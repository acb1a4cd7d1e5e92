// The serial adapter behind the Ucan entry points: one connection per process,
// a receive thread that turns adapter packets into queued frames, and writes
// serialised so that packets never interleave.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "adapter_codec.h"
#include "receive_queue.h"
#include "serial_port.h"
#include "stop_signal.h"
#include "ucan.h"

namespace corvane {

class CorvaneDriver {
public:
    // The most bytes the receive thread takes from the port per wake-up.
    static constexpr std::size_t kReadChunk = 80;

    CorvaneDriver() = default;
    ~CorvaneDriver();
    CorvaneDriver(const CorvaneDriver&) = delete;
    CorvaneDriver& operator=(const CorvaneDriver&) = delete;

    // Reads CORVANE.INI, stores callback (even when the port then fails to open)
    // and opens the port: 0, or 3 when it cannot be opened.
    UcanResult InitHardware(UcanEventCallback callback);
    // Stops receiving, closes the port and forgets both callbacks. Safe in any state.
    UcanResult DeinitHardware();
    // Empties the queue, sends a single END and starts the receive thread.
    UcanResult InitCan();
    // Stops the receive thread and waits for it, then sends the close sequence.
    // Never from inside the event callback: it would wait for itself.
    UcanResult DeinitCan();
    // The oldest queued frame, in any state: 0, or 0x80 (record untouched) when none.
    UcanResult ReadCanMsg(CanFrame* frame);
    // Sends frame as one packet; 0 whether or not the adapter took it.
    UcanResult WriteCanMsg(const CanFrame* frame);
    void SetConnectCallback(UcanConnectCallback callback) { connectCallback_.store(callback); }

private:
    void StopReceiving();
    void ReceiveLoop(int portFd, int stopFd);
    void Decode(const std::uint8_t* bytes, std::size_t count, ucan::PacketDecoder& decoder);
    void WriteToPort(const std::uint8_t* bytes, std::size_t count);

    // Serialises the lifecycle calls and guards the receive thread and its stop signal.
    std::mutex lifecycleLock_;
    std::thread receiveThread_;
    std::optional<StopSignal> stopSignal_;

    // Guards the port: every write, and its opening and closing. The receive
    // thread reads the port without it: the port is closed only after the thread
    // has been stopped.
    std::mutex portLock_;
    std::optional<SerialPort> port_;

    // Filled by the receive thread alone; emptied only while it is stopped.
    ucan::ReceiveQueue queue_;
    std::atomic<UcanEventCallback> eventCallback_{nullptr};
    // Stored and cleared as the interface requires; this adapter never reports a
    // connection change.
    std::atomic<UcanConnectCallback> connectCallback_{nullptr};
};

// The driver of this process.
CorvaneDriver& Driver();

}  // namespace corvane
