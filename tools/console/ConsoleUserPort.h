// Reports of the workbench core printed to a terminal.
#pragma once

#include <iostream>
#include <mutex>

#include "app/UserPort.h"
#include "app/menus/DeviceTable.h"

namespace tessaline {

class ConsoleUserPort : public UserPort {
public:
    explicit ConsoleUserPort(const DeviceTable* devices = nullptr) : devices_(devices) {}

    void SetDevices(const DeviceTable* devices) { devices_ = devices; }

    void AddEvent(std::uint8_t status, std::uint8_t source, const std::string& text) override {
        static constexpr const char* kStatus[] = {"ok", "disconnected", "error"};
        std::lock_guard lock(lock_);
        std::cout << "event [" << (status < 3 ? kStatus[status] : "?") << "] " << SourceName(source) << ": " << text
                  << '\n';
    }
    void SetStatusText(const std::string& text) override {
        std::lock_guard lock(lock_);
        std::cout << "status: " << text << '\n';
    }
    void ShowError(const std::string& text) override {
        std::lock_guard lock(lock_);
        std::cout << "error: " << text << '\n';
    }
    // Frames are not echoed: a console run would drown in them.
    void EchoFrame(const CanFrame&, FrameDirection) override {}
    void RunOnGuiThread(const std::function<void()>& call) override { call(); }

private:
    std::string SourceName(std::uint8_t source) const {
        if (source == kSourceUser) return "User";
        if (source == kSourceAdapter) return "USBCAN";
        const std::string name = devices_ ? DeviceName(*devices_, source) : std::string{};
        return name.empty() ? "ID " + std::to_string(source) : name;
    }

    std::mutex lock_;
    const DeviceTable* devices_;
};

}  // namespace tessaline
