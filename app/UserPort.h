// The one way the workbench core reaches the user. The Qt windows implement it for
// the program, the console tool for a terminal, and the tests record what it gets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ucan.h"

namespace tessaline {

// AddEvent status.
inline constexpr std::uint8_t kEventSuccess = 0;
inline constexpr std::uint8_t kEventDisconnected = 1;
inline constexpr std::uint8_t kEventError = 2;

// AddEvent sources besides node addresses.
inline constexpr std::uint8_t kSourceAdapter = 253;  // shown as "USBCAN"
inline constexpr std::uint8_t kSourceUser = 255;     // shown as "User"

enum class FrameDirection { Sent, Received };

// Every method may be called from any thread: the GUI thread, a driver's receive
// thread or a worker. Implementations must not make the caller wait for the GUI
// thread, except RunOnGuiThread, and must keep the order of calls from one thread.
class UserPort {
public:
    virtual ~UserPort() = default;

    // A row of the event list.
    virtual void AddEvent(std::uint8_t status, std::uint8_t source, const std::string& text) = 0;
    // The first panel of the main window's status bar.
    virtual void SetStatusText(const std::string& text) = 0;
    // An error message box with a single OK button.
    virtual void ShowError(const std::string& text) = 0;
    // A frame for the frame monitor.
    virtual void EchoFrame(const CanFrame& frame, FrameDirection direction) = 0;
    // Runs call on the GUI thread and returns once it has run. Callers hold no lock.
    virtual void RunOnGuiThread(const std::function<void()>& call) = 0;
};

}  // namespace tessaline
