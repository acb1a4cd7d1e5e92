// A scripted Ucan driver for tests: records every call in order, returns scripted
// results, and raises the callbacks from a receive thread of its own, as a real
// driver does, so the workbench's binding and drain run across dlopen and threads.
#include <pthread.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "fake_driver_control.h"

namespace {

struct Call {
    std::string name;
    std::int64_t timeNs;
};

// A job for the receive thread: a frame to queue and announce, or an event to raise.
// A batch of frames is queued at once and then announced once per frame, as a real
// driver that is a little ahead of its callback would.
struct FrameJob {
    std::vector<CanFrame> frames;
};
struct EventJob {
    std::uint8_t event;
};
struct ConnectJob {
    std::uint8_t event;
};
using Job = std::variant<FrameJob, EventJob, ConnectJob>;

struct Driver {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Call> calls;
    std::vector<CanFrame> written;
    std::map<std::string, std::uint8_t> results;
    std::uint16_t canStatus = 0;
    FakeUcanWriteHook writeHook = nullptr;
    void* writeHookContext = nullptr;
    UcanEventCallback eventCallback = nullptr;
    UcanConnectCallback connectCallback = nullptr;
    std::deque<CanFrame> rxQueue;
    std::deque<Job> jobs;
    bool busy = false;
    bool stop = false;
    std::thread receiver;
    std::uint64_t callbackThread = 0;

    // Keeps the process free of a running thread at exit even if a test forgot to deinit.
    ~Driver() {
        {
            std::lock_guard guard(lock);
            stop = true;
        }
        changed.notify_all();
        if (receiver.joinable()) receiver.join();
    }
};

Driver& State() {
    static Driver driver;
    return driver;
}

std::uint8_t Record(const char* name) {
    Driver& d = State();
    std::lock_guard lock(d.lock);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    d.calls.push_back({name, std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()});
    const auto scripted = d.results.find(name);
    return scripted == d.results.end() ? std::uint8_t{UCAN_OK} : scripted->second;
}

void ReceiveLoop() {
    Driver& d = State();
    std::unique_lock lock(d.lock);
    for (;;) {
        d.changed.wait(lock, [&] { return d.stop || !d.jobs.empty(); });
        if (d.stop) return;
        const Job job = std::move(d.jobs.front());
        d.jobs.pop_front();
        d.busy = true;
        UcanEventCallback eventCallback = d.eventCallback;
        UcanConnectCallback connectCallback = d.connectCallback;
        std::uint8_t event = 0;
        std::size_t repeat = 1;
        bool connectEvent = false;
        if (const auto* f = std::get_if<FrameJob>(&job)) {
            d.rxQueue.insert(d.rxQueue.end(), f->frames.begin(), f->frames.end());
            event = UCAN_EVENT_RECEIVE;
            repeat = f->frames.size();
        } else if (const auto* e = std::get_if<EventJob>(&job)) {
            event = e->event;
        } else {
            event = std::get<ConnectJob>(job).event;
            connectEvent = true;
        }
        d.callbackThread = static_cast<std::uint64_t>(pthread_self());
        lock.unlock();
        for (std::size_t i = 0; i < repeat; ++i) {
            if (connectEvent) {
                if (connectCallback) connectCallback(event, 0);
            } else if (eventCallback) {
                eventCallback(0, event);
            }
        }
        lock.lock();
        d.busy = false;
        d.changed.notify_all();
    }
}

void StartReceiver() {
    Driver& d = State();
    std::lock_guard lock(d.lock);
    if (d.receiver.joinable()) return;
    d.stop = false;
    d.rxQueue.clear();
    d.receiver = std::thread(ReceiveLoop);
}

void StopReceiver() {
    Driver& d = State();
    std::thread receiver;
    {
        std::lock_guard lock(d.lock);
        d.stop = true;
        receiver = std::move(d.receiver);
    }
    d.changed.notify_all();
    if (receiver.joinable()) receiver.join();
}

void Enqueue(Job job) {
    Driver& d = State();
    {
        std::lock_guard lock(d.lock);
        d.jobs.push_back(job);
    }
    d.changed.notify_all();
}

}  // namespace

extern "C" {

UCAN_EXPORT uint32_t UcanGetVersion(void) {
    Record("UcanGetVersion");
    return 0;
}
UCAN_EXPORT UcanResult UcanInitHwConnectControl(UcanConnectCallback callback) {
    const auto r = Record("UcanInitHwConnectControl");
    std::lock_guard lock(State().lock);
    State().connectCallback = callback;
    return r;
}
UCAN_EXPORT UcanResult UcanDeinitHwConnectControl(void) { return Record("UcanDeinitHwConnectControl"); }
UCAN_EXPORT UcanResult UcanInitHardware(UcanHandle*, uint8_t, UcanEventCallback callback) {
    const auto r = Record("UcanInitHardware");
    std::lock_guard lock(State().lock);
    State().eventCallback = callback;
    return r;
}
UCAN_EXPORT UcanResult UcanGetHardwareInfo(UcanHandle, void*) { return Record("UcanGetHardwareInfo"); }
UCAN_EXPORT UcanResult UcanInitCan(UcanHandle, uint8_t, uint8_t, uint32_t, uint32_t) {
    const auto r = Record("UcanInitCan");
    if (r == UCAN_OK) StartReceiver();
    return r;
}
UCAN_EXPORT UcanResult UcanSetBaudrate(UcanHandle, uint8_t, uint8_t) { return Record("UcanSetBaudrate"); }
#ifndef FAKE_OMIT_SET_ACCEPTANCE
UCAN_EXPORT UcanResult UcanSetAcceptance(UcanHandle, uint32_t, uint32_t) { return Record("UcanSetAcceptance"); }
#endif
UCAN_EXPORT UcanResult UcanResetCan(UcanHandle) { return Record("UcanResetCan"); }
UCAN_EXPORT UcanResult UcanReadCanMsg(UcanHandle, CanFrame* frame) {
    // Not recorded: the drain calls it once per frame plus once more.
    Driver& d = State();
    std::lock_guard lock(d.lock);
    if (d.rxQueue.empty()) return UCAN_WARN_NO_DATA;
    *frame = d.rxQueue.front();
    d.rxQueue.pop_front();
    return UCAN_OK;
}
UCAN_EXPORT UcanResult UcanWriteCanMsg(UcanHandle, CanFrame* frame) {
    const auto r = Record("UcanWriteCanMsg");
    Driver& d = State();
    FakeUcanWriteHook hook = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(d.lock);
        d.written.push_back(*frame);
        hook = d.writeHook;
        context = d.writeHookContext;
    }
    if (hook) hook(frame, context);
    return r;
}
UCAN_EXPORT UcanResult UcanGetStatus(UcanHandle, UcanStatus* status) {
    const auto r = Record("UcanGetStatus");
    std::lock_guard lock(State().lock);
    status->CanStatus = State().canStatus;
    status->UsbStatus = 0;
    return r;
}
UCAN_EXPORT UcanResult UcanDeinitCan(UcanHandle) {
    const auto r = Record("UcanDeinitCan");
    StopReceiver();
    return r;
}
UCAN_EXPORT UcanResult UcanDeinitHardware(UcanHandle) {
    const auto r = Record("UcanDeinitHardware");
    std::lock_guard lock(State().lock);
    State().eventCallback = nullptr;
    State().connectCallback = nullptr;
    return r;
}

UCAN_EXPORT void FakeUcan_Reset(void) {
    StopReceiver();
    Driver& d = State();
    std::lock_guard lock(d.lock);
    d.calls.clear();
    d.written.clear();
    d.results.clear();
    d.canStatus = 0;
    d.writeHook = nullptr;
    d.writeHookContext = nullptr;
    d.rxQueue.clear();
    d.jobs.clear();
}
UCAN_EXPORT void FakeUcan_SetResult(const char* name, uint8_t code) {
    std::lock_guard lock(State().lock);
    State().results[name] = code;
}
UCAN_EXPORT void FakeUcan_SetCanStatus(uint16_t status) {
    std::lock_guard lock(State().lock);
    State().canStatus = status;
}
UCAN_EXPORT size_t FakeUcan_CallCount(void) {
    std::lock_guard lock(State().lock);
    return State().calls.size();
}
UCAN_EXPORT const char* FakeUcan_CallName(size_t index) {
    std::lock_guard lock(State().lock);
    return index < State().calls.size() ? State().calls[index].name.c_str() : "";
}
UCAN_EXPORT int64_t FakeUcan_CallTimeNs(size_t index) {
    std::lock_guard lock(State().lock);
    return index < State().calls.size() ? State().calls[index].timeNs : 0;
}
UCAN_EXPORT size_t FakeUcan_WrittenCount(void) {
    std::lock_guard lock(State().lock);
    return State().written.size();
}
UCAN_EXPORT void FakeUcan_Written(size_t index, CanFrame* frame) {
    std::lock_guard lock(State().lock);
    if (index < State().written.size()) *frame = State().written[index];
}
UCAN_EXPORT void FakeUcan_SetWriteHook(FakeUcanWriteHook hook, void* context) {
    std::lock_guard lock(State().lock);
    State().writeHook = hook;
    State().writeHookContext = context;
}
UCAN_EXPORT void FakeUcan_Deliver(const CanFrame* frames, size_t count) {
    Enqueue(FrameJob{std::vector<CanFrame>(frames, frames + count)});
}
UCAN_EXPORT void FakeUcan_RaiseEvent(uint8_t event) { Enqueue(EventJob{event}); }
UCAN_EXPORT void FakeUcan_RaiseConnectEvent(uint8_t event) { Enqueue(ConnectJob{event}); }
UCAN_EXPORT int FakeUcan_WaitIdle(uint32_t timeoutMs) {
    Driver& d = State();
    std::unique_lock lock(d.lock);
    return d.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return d.jobs.empty() && !d.busy; })
               ? 1
               : 0;
}
UCAN_EXPORT uint64_t FakeUcan_CallbackThread(void) {
    std::lock_guard lock(State().lock);
    return State().callbackThread;
}
UCAN_EXPORT const char* FakeUcan_Name(void) { return FAKE_DRIVER_NAME; }
}
