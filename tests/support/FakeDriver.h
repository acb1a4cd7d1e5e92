// Test-side access to one build of the scripted driver, through the same library
// instance that the workbench binds (dlopen hands out one handle per file).
#pragma once

#include <dlfcn.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_driver_control.h"

namespace tessaline::testing {

class FakeDriver {
public:
    // file: libcorvane.so, libhalvend.so or libusbcan32.so in the fake drivers folder.
    explicit FakeDriver(const std::string& file) {
        const std::string path = std::string(FAKE_DRIVER_DIR) + "/" + file;
        library_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library_ == nullptr) throw std::runtime_error("cannot load " + path);
        Bind("FakeUcan_Reset", reset);
        Bind("FakeUcan_SetResult", setResult);
        Bind("FakeUcan_SetCanStatus", setCanStatus);
        Bind("FakeUcan_CallCount", callCount);
        Bind("FakeUcan_CallName", callName);
        Bind("FakeUcan_CallTimeNs", callTimeNs);
        Bind("FakeUcan_WrittenCount", writtenCount);
        Bind("FakeUcan_Written", written);
        Bind("FakeUcan_SetWriteHook", setWriteHook);
        Bind("FakeUcan_Deliver", deliver);
        Bind("FakeUcan_RaiseEvent", raiseEvent);
        Bind("FakeUcan_RaiseConnectEvent", raiseConnectEvent);
        Bind("FakeUcan_WaitIdle", waitIdle);
        Bind("FakeUcan_CallbackThread", callbackThread);
        Bind("FakeUcan_Name", name);
        reset();
    }
    ~FakeDriver() {
        reset();
        dlclose(library_);
    }
    FakeDriver(const FakeDriver&) = delete;
    FakeDriver& operator=(const FakeDriver&) = delete;

    std::vector<std::string> Calls() const {
        std::vector<std::string> names;
        for (std::size_t i = 0; i < callCount(); ++i) names.emplace_back(callName(i));
        return names;
    }
    std::vector<CanFrame> WrittenFrames() const {
        std::vector<CanFrame> frames(writtenCount());
        for (std::size_t i = 0; i < frames.size(); ++i) written(i, &frames[i]);
        return frames;
    }
    void Deliver(const std::vector<CanFrame>& frames) { deliver(frames.data(), frames.size()); }
    bool WaitIdle() { return waitIdle(5000) != 0; }

    decltype(&FakeUcan_Reset) reset;
    decltype(&FakeUcan_SetResult) setResult;
    decltype(&FakeUcan_SetCanStatus) setCanStatus;
    decltype(&FakeUcan_CallCount) callCount;
    decltype(&FakeUcan_CallName) callName;
    decltype(&FakeUcan_CallTimeNs) callTimeNs;
    decltype(&FakeUcan_WrittenCount) writtenCount;
    decltype(&FakeUcan_Written) written;
    decltype(&FakeUcan_SetWriteHook) setWriteHook;
    decltype(&FakeUcan_Deliver) deliver;
    decltype(&FakeUcan_RaiseEvent) raiseEvent;
    decltype(&FakeUcan_RaiseConnectEvent) raiseConnectEvent;
    decltype(&FakeUcan_WaitIdle) waitIdle;
    decltype(&FakeUcan_CallbackThread) callbackThread;
    decltype(&FakeUcan_Name) name;

private:
    template <typename Fn>
    void Bind(const char* symbol, Fn& target) {
        target = reinterpret_cast<Fn>(dlsym(library_, symbol));
        if (target == nullptr) throw std::runtime_error(std::string("missing ") + symbol);
    }

    void* library_ = nullptr;
};

// A data frame as a device sends it to the workbench.
inline CanFrame DeviceFrame(std::uint32_t id, std::uint8_t dlc, std::uint8_t formatExtra = 0) {
    CanFrame f{};
    f.Id = id;
    f.FrameFormat = static_cast<std::uint8_t>(UCAN_FORMAT_EXTENDED | formatExtra);
    f.Dlc = dlc;
    for (std::uint8_t i = 0; i < 8; ++i) f.Data[i] = static_cast<std::uint8_t>(i + 1);
    return f;
}

}  // namespace tessaline::testing
