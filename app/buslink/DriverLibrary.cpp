#include "app/buslink/DriverLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <array>

namespace tessaline {

std::string DriverFileName(int connectionType) {
    static constexpr std::array<const char*, 3> kFiles{"libusbcan32.so", "libhalvend.so", "libcorvane.so"};
    if (connectionType < 0 || connectionType >= static_cast<int>(kFiles.size())) return {};
    return kFiles[static_cast<std::size_t>(connectionType)];
}

namespace {

template <typename Fn>
bool Bind(void* library, const char* name, Fn& target) {
    void* symbol = dlsym(library, name);
    target = reinterpret_cast<Fn>(symbol);
    return symbol != nullptr;
}

}  // namespace

std::optional<DriverEntryPoints> LoadDriver(const std::string& directory, int connectionType) {
    const std::string file = DriverFileName(connectionType);
    if (file.empty()) return std::nullopt;
    const std::string path = directory.empty() ? file : directory + "/" + file;
    // RTLD_LOCAL keeps the driver's symbols out of the way of a driver loaded later;
    // the handle is deliberately never closed: a driver stays loaded until exit.
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return std::nullopt;

    DriverEntryPoints e{};
    const bool bound = Bind(library, "UcanGetVersion", e.getVersion) &&
                       Bind(library, "UcanInitHwConnectControl", e.initHwConnectControl) &&
                       Bind(library, "UcanDeinitHwConnectControl", e.deinitHwConnectControl) &&
                       Bind(library, "UcanInitHardware", e.initHardware) &&
                       Bind(library, "UcanGetHardwareInfo", e.getHardwareInfo) &&
                       Bind(library, "UcanInitCan", e.initCan) &&
                       Bind(library, "UcanSetBaudrate", e.setBaudrate) &&
                       Bind(library, "UcanSetAcceptance", e.setAcceptance) &&
                       Bind(library, "UcanResetCan", e.resetCan) &&
                       Bind(library, "UcanReadCanMsg", e.readCanMsg) &&
                       Bind(library, "UcanWriteCanMsg", e.writeCanMsg) &&
                       Bind(library, "UcanGetStatus", e.getStatus) &&
                       Bind(library, "UcanDeinitCan", e.deinitCan) &&
                       Bind(library, "UcanDeinitHardware", e.deinitHardware);
    if (!bound) return std::nullopt;
    return e;
}

std::string ProgramDirectory() {
    std::array<char, PATH_MAX> path{};
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
    if (length <= 0) return ".";
    std::string exe(path.data(), static_cast<std::size_t>(length));
    const auto slash = exe.rfind('/');
    return slash == std::string::npos ? "." : exe.substr(0, slash);
}

}  // namespace tessaline
