#include "app/buslink/BusLink.h"

#include <thread>

#include "app/buslink/DriverErrorText.h"
#include "app/buslink/FrameId.h"

namespace tessaline {

namespace {

// The driver's callbacks carry no context pointer; one connection exists per
// process, so they reach the link that is connecting or connected through this.
std::atomic<BusLink*> activeLink{nullptr};

void EventTrampoline(UcanHandle handle, std::uint8_t event) {
    if (BusLink* link = activeLink.load(std::memory_order_acquire)) link->OnCanEvent(handle, event);
}

void ConnectTrampoline(std::uint8_t event, std::uint32_t param) {
    if (BusLink* link = activeLink.load(std::memory_order_acquire)) link->OnConnectControl(event, param);
}

// Bus timing 0x00/0x14 selects 1 Mbit/s on an SJA1000; mask and code pass every frame.
constexpr std::uint8_t kBusTiming0 = 0x00;
constexpr std::uint8_t kBusTiming1 = 0x14;
constexpr std::uint32_t kAcceptAllMask = 0xFFFFFFFF;
constexpr std::uint32_t kAcceptAllCode = 0x00000000;

}  // namespace

BusLink::BusLink(UserPort& user, ReceiveDispatch& dispatch, std::string driverDirectory)
    : user_(user), dispatch_(dispatch), driverDirectory_(std::move(driverDirectory)) {}

BusLink::~BusLink() {
    // A driver thread must never call back into a destroyed link.
    DisconnectBus();
    BusLink* self = this;
    activeLink.compare_exchange_strong(self, nullptr);
}

bool BusLink::ConnectBus() {
    if (BusConnected()) return true;

    std::optional<DriverEntryPoints> driver = LoadDriver(driverDirectory_, ConnectionType());
    UcanResult code = driver ? UCAN_OK : UCAN_ERR_LOAD_LIBRARY;
    {
        std::lock_guard lock(bindingLock_);
        driver_ = driver;
        handle_ = 0;
        rxFrame_ = CanFrame{};
    }
    activeLink.store(this, std::memory_order_release);

    if (driver) {
        driver->initHwConnectControl(&ConnectTrampoline);
        // The driver may write the handle byte; it stays ours until ReleaseDriver.
        UcanHandle handle = 0;
        code = driver->initHardware(&handle, static_cast<std::uint8_t>(UCAN_ANY_MODULE), &EventTrampoline);
        {
            std::lock_guard lock(bindingLock_);
            handle_ = handle;
        }
        if (code == UCAN_OK) code = driver->initCan(handle, kBusTiming0, kBusTiming1, kAcceptAllMask, kAcceptAllCode);
    }
    if (code == UCAN_OK) {
        connected_.store(true, std::memory_order_release);
        return true;
    }
    user_.ShowError(DriverErrorText(code));
    ReleaseDriver();
    return false;
}

void BusLink::DisconnectBus() {
    if (!BusConnected()) return;
    // Lets the last frames of the disconnect command leave the adapter.
    std::this_thread::sleep_for(kDisconnectPause);
    if (const auto binding = CurrentBinding()) {
        binding->entry.resetCan(binding->handle);
        binding->entry.deinitCan(binding->handle);
    }
    ReleaseDriver();
    connected_.store(false, std::memory_order_release);
}

void BusLink::ReleaseDriver() {
    if (const auto binding = CurrentBinding()) {
        binding->entry.deinitHardware(binding->handle);
        binding->entry.deinitHwConnectControl();
    }
    {
        std::lock_guard lock(bindingLock_);
        handle_.reset();
        rxFrame_.reset();
    }
    BusLink* self = this;
    activeLink.compare_exchange_strong(self, nullptr);
}

std::optional<BusLink::Binding> BusLink::CurrentBinding() const {
    std::lock_guard lock(bindingLock_);
    if (!driver_ || !handle_) return std::nullopt;
    return Binding{*driver_, *handle_};
}

UcanResult BusLink::SendFrame(std::uint8_t pri, std::uint8_t ds, std::uint8_t sr, std::uint8_t reg,
                              std::uint8_t flags, std::uint8_t dlc, const std::uint8_t (&data)[8]) {
    // The identifier fields are added, so larger values would corrupt their
    // neighbours and reach the wrong node: refuse them outright.
    if (pri > kMaxPriority || ds > kMaxNode || sr > kMaxNode || dlc > 8) {
        ReportCode(UCAN_ERR_PARAMETER);
        return UCAN_ERR_PARAMETER;
    }
    const auto binding = BusConnected() ? CurrentBinding() : std::nullopt;
    if (!binding) return UCAN_ERR_NOT_INITIALIZED;

    CanFrame frame{};
    frame.Id = MakeFrameId(pri, ds, sr, reg, flags);
    frame.FrameFormat = static_cast<std::uint8_t>(UCAN_FORMAT_EXTENDED | ((flags & fl::Rtr) ? UCAN_FORMAT_REMOTE : 0));
    frame.Dlc = dlc;
    for (std::size_t i = 0; i < 8; ++i) frame.Data[i] = data[i];
    user_.EchoFrame(frame, FrameDirection::Sent);
    const UcanResult result = binding->entry.writeCanMsg(binding->handle, &frame);
    if (result != UCAN_OK) ReportCode(result);
    return result;
}

UcanResult BusLink::SendFrame(std::uint8_t pri, std::uint8_t ds, std::uint8_t sr, std::uint8_t reg,
                              std::uint8_t flags) {
    static constexpr std::uint8_t kNoData[8] = {};
    return SendFrame(pri, ds, sr, reg, flags, 0, kNoData);
}

void BusLink::ReportCode(UcanResult code) { user_.ShowError(DriverErrorText(code)); }

void BusLink::ShowBusStatus() {
    const auto binding = CurrentBinding();
    if (!binding) return;
    UcanStatus status{};
    binding->entry.getStatus(binding->handle, &status);
    if (status.CanStatus == 0) {
        user_.SetStatusText(kNoCanErrorsText);
        return;
    }
    for (unsigned bit = 0; bit < 10; ++bit) {
        if ((status.CanStatus & (1u << bit)) == 0) continue;
        const std::string text = CanStatusText(bit);
        user_.SetStatusText(text);
        user_.AddEvent(kEventError, kSourceAdapter, text);
    }
}

void BusLink::OnCanEvent(UcanHandle, std::uint8_t event) {
    switch (event) {
        case UCAN_EVENT_HW_INITIALIZED:
            user_.SetStatusText("Hardware initialized");
            break;
        case UCAN_EVENT_CAN_INITIALIZED:
            user_.SetStatusText("Connected to CAN");
            break;
        case UCAN_EVENT_RECEIVE:
            // Runs on the driver's receive thread, which exists only while the
            // binding is fixed, so the unlocked reads below cannot race a writer.
            if (driver_ && handle_ && rxFrame_) dispatch_.DrainReceived(driver_->readCanMsg, *handle_, *rxFrame_);
            break;
        case UCAN_EVENT_STATUS:
            dispatch_.canStatus.Set();
            break;
        case UCAN_EVENT_CAN_DEINITIALIZED:
            user_.SetStatusText("Disconnected from CAN");
            break;
        case UCAN_EVENT_HW_DEINITIALIZED:
            user_.SetStatusText("Hardware deinitialized");
            break;
        default:
            break;
    }
}

void BusLink::OnConnectControl(std::uint8_t event, std::uint32_t) {
    const char* text = nullptr;
    switch (event) {
        case UCAN_EVENT_CONNECT:
            text = "USB-CAN module connected";
            break;
        case UCAN_EVENT_DISCONNECT:
            user_.ShowError("USB-CAN module is disconnected. Please close application.");
            text = "USB-CAN module disconnected";
            break;
        case UCAN_EVENT_FATAL_DISCONNECT:
            text = "Fatal USB-CAN module disconnection";
            break;
        default:
            return;
    }
    user_.SetStatusText(text);
    user_.AddEvent(kEventError, kSourceAdapter, text);
}

}  // namespace tessaline
