/*
 * The Ucan driver interface: the boundary between the workbench and an adapter
 * driver library. Plain C so that any driver, whatever it is written in, can
 * serve it, and so that the workbench can bind it with dlopen/dlsym.
 *
 * All multi-byte values are little-endian; records that cross the interface are
 * packed.
 */
#ifndef TESSALINE_UCAN_H
#define TESSALINE_UCAN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define UCAN_EXPORT __attribute__((visibility("default")))
#else
#define UCAN_EXPORT
#endif

typedef uint8_t UcanResult;
typedef uint8_t UcanHandle;

/* Result codes. 0 is success; drivers of this project return only 0, 3 and 0x80.
 * 14 is the workbench's own code for a library that cannot be loaded or bound. */
enum {
    UCAN_OK = 0,
    UCAN_ERR_RESOURCE = 1,
    UCAN_ERR_MAX_MODULES = 2,
    UCAN_ERR_HARDWARE = 3,
    UCAN_ERR_VERSION = 4,
    UCAN_ERR_USB = 5,
    UCAN_ERR_HANDLE = 6,
    UCAN_ERR_PARAMETER = 7,
    UCAN_ERR_BUSY = 8,
    UCAN_ERR_TIMEOUT = 9,
    UCAN_ERR_IO_FAILED = 10,
    UCAN_ERR_TX_QUEUE_FULL = 11,
    UCAN_ERR_MAX_APPLICATIONS = 12,
    UCAN_ERR_NOT_INITIALIZED = 13,
    UCAN_ERR_LOAD_LIBRARY = 14,
    UCAN_ERR_CMD_MISMATCH = 64,
    UCAN_ERR_CMD_REGISTER_TEST = 65,
    UCAN_ERR_CMD_ILLEGAL = 66,
    UCAN_ERR_CMD_EEPROM = 67,
    UCAN_WARN_NO_DATA = 0x80,
    UCAN_WARN_SYS_RX_OVERRUN = 0x81,
    UCAN_WARN_DLL_RX_OVERRUN = 0x82,
    UCAN_WARN_NULL_POINTER = 0x90
};

/* Events of UcanEventCallback (0..5) and UcanConnectCallback (6..8). */
enum {
    UCAN_EVENT_HW_INITIALIZED = 0,
    UCAN_EVENT_CAN_INITIALIZED = 1,
    UCAN_EVENT_RECEIVE = 2,
    UCAN_EVENT_STATUS = 3,
    UCAN_EVENT_CAN_DEINITIALIZED = 4,
    UCAN_EVENT_HW_DEINITIALIZED = 5,
    UCAN_EVENT_CONNECT = 6,
    UCAN_EVENT_DISCONNECT = 7,
    UCAN_EVENT_FATAL_DISCONNECT = 8
};

/* FrameFormat bits. */
enum {
    UCAN_FORMAT_EXTENDED = 0x80,
    UCAN_FORMAT_REMOTE = 0x40
};

/* Device number that asks UcanInitHardware for any adapter. */
#define UCAN_ANY_MODULE 255u

#pragma pack(push, 1)
typedef struct CanFrame {
    uint32_t Id;
    uint8_t FrameFormat;
    uint8_t Dlc;
    uint8_t Data[8];
    uint32_t Time; /* receive tick in ms; ignored on transmit */
} CanFrame;

typedef struct UcanStatus {
    uint16_t CanStatus;
    uint16_t UsbStatus;
} UcanStatus;
#pragma pack(pop)

#ifdef __cplusplus
#define UCAN_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define UCAN_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
UCAN_STATIC_ASSERT(sizeof(CanFrame) == 18, "CanFrame is 18 bytes");
UCAN_STATIC_ASSERT(offsetof(CanFrame, Id) == 0, "CanFrame.Id at 0");
UCAN_STATIC_ASSERT(offsetof(CanFrame, FrameFormat) == 4, "CanFrame.FrameFormat at 4");
UCAN_STATIC_ASSERT(offsetof(CanFrame, Dlc) == 5, "CanFrame.Dlc at 5");
UCAN_STATIC_ASSERT(offsetof(CanFrame, Data) == 6, "CanFrame.Data at 6");
UCAN_STATIC_ASSERT(offsetof(CanFrame, Time) == 14, "CanFrame.Time at 14");
UCAN_STATIC_ASSERT(sizeof(UcanStatus) == 4, "UcanStatus is 4 bytes");
UCAN_STATIC_ASSERT(offsetof(UcanStatus, UsbStatus) == 2, "UcanStatus.UsbStatus at 2");

typedef void (*UcanEventCallback)(UcanHandle handle, uint8_t event);
typedef void (*UcanConnectCallback)(uint8_t event, uint32_t param);

/* The fourteen entry points the workbench binds by name. */
UCAN_EXPORT uint32_t UcanGetVersion(void);
UCAN_EXPORT UcanResult UcanInitHwConnectControl(UcanConnectCallback callback);
UCAN_EXPORT UcanResult UcanDeinitHwConnectControl(void);
UCAN_EXPORT UcanResult UcanInitHardware(UcanHandle* handle, uint8_t deviceNumber, UcanEventCallback callback);
UCAN_EXPORT UcanResult UcanGetHardwareInfo(UcanHandle handle, void* info);
UCAN_EXPORT UcanResult UcanInitCan(UcanHandle handle, uint8_t busTiming0, uint8_t busTiming1,
                                   uint32_t acceptanceMask, uint32_t acceptanceCode);
UCAN_EXPORT UcanResult UcanSetBaudrate(UcanHandle handle, uint8_t busTiming0, uint8_t busTiming1);
UCAN_EXPORT UcanResult UcanSetAcceptance(UcanHandle handle, uint32_t acceptanceMask, uint32_t acceptanceCode);
UCAN_EXPORT UcanResult UcanResetCan(UcanHandle handle);
UCAN_EXPORT UcanResult UcanReadCanMsg(UcanHandle handle, CanFrame* frame);
UCAN_EXPORT UcanResult UcanWriteCanMsg(UcanHandle handle, CanFrame* frame);
UCAN_EXPORT UcanResult UcanGetStatus(UcanHandle handle, UcanStatus* status);
UCAN_EXPORT UcanResult UcanDeinitCan(UcanHandle handle);
UCAN_EXPORT UcanResult UcanDeinitHardware(UcanHandle handle);

/* Further entry points that Corvane and Halvend export; the workbench never calls them. */
UCAN_EXPORT UcanResult UcanGetHardwareInfoEx(UcanHandle handle, void* info);
UCAN_EXPORT UcanResult UcanReadEeprom(void);
UCAN_EXPORT UcanResult UcanWriteEeprom(void);
UCAN_EXPORT UcanResult UcanSetProcessMode(void);
UCAN_EXPORT UcanResult UcanTriggerProcess(void);

/* Halvend only. */
UCAN_EXPORT UcanResult UcanInitCanEx2(UcanHandle handle, uint8_t channel, void* initRecord);
UCAN_EXPORT UcanResult UcanDeinitCanEx(UcanHandle handle, uint8_t channel);
UCAN_EXPORT UcanResult UcanGetStatusEx(UcanHandle handle, uint8_t channel, UcanStatus* status);
UCAN_EXPORT UcanResult UcanReadCanMsgEx(UcanHandle handle, uint8_t channel, CanFrame* frames, uint32_t* count);
UCAN_EXPORT UcanResult UcanWriteCanMsgEx(UcanHandle handle, uint8_t channel, CanFrame* frames, uint32_t* count);
UCAN_EXPORT UcanResult UcanGetHardwareInfoEx2(UcanHandle handle, void* extendedInfo, void* channel0Info,
                                              void* channel1Info);
UCAN_EXPORT UcanResult UcanResetCanEx(UcanHandle handle, uint8_t channel, uint32_t resetFlags);
UCAN_EXPORT UcanResult UcanSetAcceptanceEx(UcanHandle handle, uint8_t channel, uint32_t acceptanceMask,
                                           uint32_t acceptanceCode);
UCAN_EXPORT UcanResult UcanSetBaudrateEx(UcanHandle handle, uint8_t channel, uint8_t busTiming0,
                                         uint8_t busTiming1, uint32_t extendedBaudrate);
UCAN_EXPORT UcanResult UcanSetTxTimeout(UcanHandle handle, uint8_t channel, uint32_t timeoutMs);

/* Pointer types of the bound entry points, for dlsym. */
typedef uint32_t (*UcanGetVersionFn)(void);
typedef UcanResult (*UcanInitHwConnectControlFn)(UcanConnectCallback);
typedef UcanResult (*UcanDeinitHwConnectControlFn)(void);
typedef UcanResult (*UcanInitHardwareFn)(UcanHandle*, uint8_t, UcanEventCallback);
typedef UcanResult (*UcanGetHardwareInfoFn)(UcanHandle, void*);
typedef UcanResult (*UcanInitCanFn)(UcanHandle, uint8_t, uint8_t, uint32_t, uint32_t);
typedef UcanResult (*UcanSetBaudrateFn)(UcanHandle, uint8_t, uint8_t);
typedef UcanResult (*UcanSetAcceptanceFn)(UcanHandle, uint32_t, uint32_t);
typedef UcanResult (*UcanResetCanFn)(UcanHandle);
typedef UcanResult (*UcanReadCanMsgFn)(UcanHandle, CanFrame*);
typedef UcanResult (*UcanWriteCanMsgFn)(UcanHandle, CanFrame*);
typedef UcanResult (*UcanGetStatusFn)(UcanHandle, UcanStatus*);
typedef UcanResult (*UcanDeinitCanFn)(UcanHandle);
typedef UcanResult (*UcanDeinitHardwareFn)(UcanHandle);

#ifdef __cplusplus
}
#endif

#endif /* TESSALINE_UCAN_H */
