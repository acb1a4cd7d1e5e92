// Loading a Ucan driver library by connection type and binding its entry points.
#pragma once

#include <optional>
#include <string>

#include "ucan.h"

namespace tessaline {

// The fourteen entry points the workbench binds; all must resolve.
struct DriverEntryPoints {
    UcanGetVersionFn getVersion;
    UcanInitHwConnectControlFn initHwConnectControl;
    UcanDeinitHwConnectControlFn deinitHwConnectControl;
    UcanInitHardwareFn initHardware;
    UcanGetHardwareInfoFn getHardwareInfo;
    UcanInitCanFn initCan;
    UcanSetBaudrateFn setBaudrate;
    UcanSetAcceptanceFn setAcceptance;
    UcanResetCanFn resetCan;
    UcanReadCanMsgFn readCanMsg;
    UcanWriteCanMsgFn writeCanMsg;
    UcanGetStatusFn getStatus;
    UcanDeinitCanFn deinitCan;
    UcanDeinitHardwareFn deinitHardware;
};

// The library file of a connection type: 0 libusbcan32.so, 1 libhalvend.so,
// 2 libcorvane.so; empty for any other type.
std::string DriverFileName(int connectionType);

// Loads the library of connectionType from directory and binds every entry point.
// Empty when the type is unknown, the file does not load or an entry point is
// missing. A loaded library stays loaded for the life of the process.
std::optional<DriverEntryPoints> LoadDriver(const std::string& directory, int connectionType);

// The folder of the running program, for LoadDriver.
std::string ProgramDirectory();

}  // namespace tessaline
