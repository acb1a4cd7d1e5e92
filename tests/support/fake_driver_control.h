// Control functions of the scripted test driver library (fake_driver.cpp). A test
// binds them with dlsym from the same library the workbench loaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ucan.h"

extern "C" {
typedef void (*FakeUcanWriteHook)(const CanFrame* frame, void* context);

// Forgets calls, written frames, scripted results, status and queued frames.
UCAN_EXPORT void FakeUcan_Reset(void);
// The result that entry point name returns from now on (0 by default).
UCAN_EXPORT void FakeUcan_SetResult(const char* name, uint8_t code);
UCAN_EXPORT void FakeUcan_SetCanStatus(uint16_t status);
// Calls in order: their names and steady-clock times in nanoseconds.
UCAN_EXPORT size_t FakeUcan_CallCount(void);
UCAN_EXPORT const char* FakeUcan_CallName(size_t index);
UCAN_EXPORT int64_t FakeUcan_CallTimeNs(size_t index);
// Frames passed to UcanWriteCanMsg, in order.
UCAN_EXPORT size_t FakeUcan_WrittenCount(void);
UCAN_EXPORT void FakeUcan_Written(size_t index, CanFrame* frame);
// Called on the writer's thread for every written frame, after it is recorded.
UCAN_EXPORT void FakeUcan_SetWriteHook(FakeUcanWriteHook hook, void* context);
// Hands frames to the receive thread, which queues each one and raises event 2 for it.
UCAN_EXPORT void FakeUcan_Deliver(const CanFrame* frames, size_t count);
// Raises an event of the event callback, or of the connect callback, from the receive thread.
UCAN_EXPORT void FakeUcan_RaiseEvent(uint8_t event);
UCAN_EXPORT void FakeUcan_RaiseConnectEvent(uint8_t event);
// Waits until the receive thread has handled everything handed to it; 0 on time-out.
UCAN_EXPORT int FakeUcan_WaitIdle(uint32_t timeoutMs);
// The thread id (as from pthread_self) of the receive thread's last callback.
UCAN_EXPORT uint64_t FakeUcan_CallbackThread(void);
// Which build of the fake this is: "corvane", "halvend", "usbcan32".
UCAN_EXPORT const char* FakeUcan_Name(void);
}
