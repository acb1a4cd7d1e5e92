// The Ucan entry points of libcorvane.so: one-line forwarders to the driver. No
// exception crosses this boundary; one that escapes the driver (out of memory,
// no thread available) becomes the resource error.
#include "corvane_driver.h"
#include "ucan.h"

namespace {

template <typename Call>
UcanResult Guarded(Call call) noexcept {
    try {
        return call();
    } catch (...) {
        return UCAN_ERR_RESOURCE;
    }
}

}  // namespace

using corvane::Driver;

extern "C" {

uint32_t UcanGetVersion(void) { return 0; }

UcanResult UcanInitHwConnectControl(UcanConnectCallback callback) {
    return Guarded([&] {
        Driver().SetConnectCallback(callback);
        return UcanResult{UCAN_OK};
    });
}

UcanResult UcanDeinitHwConnectControl(void) { return UCAN_OK; }

UcanResult UcanInitHardware(UcanHandle*, uint8_t, UcanEventCallback callback) {
    return Guarded([&] { return Driver().InitHardware(callback); });
}

UcanResult UcanDeinitHardware(UcanHandle) {
    return Guarded([] { return Driver().DeinitHardware(); });
}

UcanResult UcanInitCan(UcanHandle, uint8_t, uint8_t, uint32_t, uint32_t) {
    return Guarded([] { return Driver().InitCan(); });
}

UcanResult UcanDeinitCan(UcanHandle) {
    return Guarded([] { return Driver().DeinitCan(); });
}

UcanResult UcanResetCan(UcanHandle) { return UCAN_OK; }

UcanResult UcanReadCanMsg(UcanHandle, CanFrame* frame) {
    return Guarded([&] { return Driver().ReadCanMsg(frame); });
}

UcanResult UcanWriteCanMsg(UcanHandle, CanFrame* frame) {
    return Guarded([&] { return Driver().WriteCanMsg(frame); });
}

UcanResult UcanGetStatus(UcanHandle, UcanStatus* status) {
    if (status == nullptr) return UCAN_WARN_NULL_POINTER;
    *status = UcanStatus{};
    return UCAN_OK;
}

UcanResult UcanGetHardwareInfo(UcanHandle, void*) { return UCAN_OK; }
UcanResult UcanGetHardwareInfoEx(UcanHandle, void*) { return UCAN_OK; }
UcanResult UcanSetBaudrate(UcanHandle, uint8_t, uint8_t) { return UCAN_OK; }
UcanResult UcanSetAcceptance(UcanHandle, uint32_t, uint32_t) { return UCAN_OK; }
UcanResult UcanReadEeprom(void) { return UCAN_OK; }
UcanResult UcanWriteEeprom(void) { return UCAN_OK; }
UcanResult UcanSetProcessMode(void) { return UCAN_OK; }
UcanResult UcanTriggerProcess(void) { return UCAN_OK; }

}  // extern "C"
