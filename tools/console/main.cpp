// tessaline-console: the workbench core on a terminal. Connects through the driver
// of the chosen connection type, scans the bus, loads every device's menu and error
// list, reads every register once and prints it, then disconnects.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "ConsoleUserPort.h"
#include "app/Workbench.h"
#include "app/buslink/DriverLibrary.h"
#include "app/buslink/FrameId.h"
#include "app/menus/ValueText.h"

namespace {

using namespace tessaline;

constexpr auto kTimerPeriod = std::chrono::milliseconds(100);

struct Options {
    int connectionType = 2;
    bool scanOnly = false;
};

void Usage() {
    std::cout << "usage: tessaline-console [--type 0|1|2] [--scan-only]\n"
                 "  Runs in the current folder, where CORVANE.INI names the serial port.\n";
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--type" && i + 1 < argc) {
            options.connectionType = std::atoi(argv[++i]);
        } else if (arg == "--scan-only") {
            options.scanOnly = true;
        } else {
            Usage();
            return false;
        }
    }
    return true;
}

// Drives the capture's timer like the window's timer would, until it is idle.
void RunTimer(MenuCapture& capture) {
    while (capture.Scanning() || capture.Reading()) {
        std::this_thread::sleep_for(kTimerPeriod);
        capture.Tick();
    }
}

void PrintRegisters(const ItemList& items) {
    for (const auto& item : items) {
        if (item->IsGroupHeader()) {
            std::cout << std::setw(3) << int(item->deviceId) << "       [" << item->name << "]\n";
            continue;
        }
        std::cout << std::setw(3) << int(item->deviceId) << "  " << std::setw(3) << int(item->regId) << "  "
                  << std::left << std::setw(28) << item->name << std::right << "  "
                  << ValueText(*item, item->Value());
        if (!item->unit.empty()) std::cout << ' ' << item->unit;
        std::cout << '\n';
    }
}

void PrintErrorCatalogue(const ErrorItemList& errors, const DeviceTable& devices) {
    for (const auto& e : errors) {
        std::ostringstream mask;
        mask << std::uppercase << std::hex << e.errorMask;
        std::cout << DeviceName(devices, e.deviceId) << ": " << e.errorName << ';' << mask.str() << "H;"
                  << e.errorText << '\n';
    }
}

void Disconnect(Workbench& bench) {
    for (const DeviceEntry& device : bench.devices) {
        bench.link.SendFrame(kWorkbenchPriority, device.id, kPcNode, 2, fl::Rtr);
    }
    bench.link.DisconnectBus();
}

int Run(const Options& options) {
    ConsoleUserPort user;
    Workbench bench(user, ProgramDirectory());
    user.SetDevices(&bench.devices);
    bench.link.SetConnectionType(options.connectionType);
    if (!bench.link.ConnectBus()) {
        user.AddEvent(kEventError, kSourceUser, "No connection");
        return 1;
    }
    MenuCapture capture(bench.CaptureShared());
    if (!capture.StartScan()) {
        Disconnect(bench);
        return 1;
    }
    RunTimer(capture);
    if (capture.FinishScan() == MenuCapture::ScanOutcome::NoDevices) {
        Disconnect(bench);
        return 1;
    }
    std::cout << "Devices:\n";
    for (const std::string& line : capture.DeviceLines()) std::cout << "  " << line << '\n';
    if (!options.scanOnly) {
        std::vector<std::uint8_t> ids;
        for (const DeviceEntry& device : bench.devices) ids.push_back(device.id);
        capture.Load(ids);
        if (capture.StartReadAll()) RunTimer(capture);
        std::cout << "\nRegisters (device, register, name, value, unit):\n";
        PrintRegisters(bench.items);
        std::cout << "\nError catalogue:\n";
        PrintErrorCatalogue(bench.errors, bench.devices);
    }
    Disconnect(bench);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) return 2;
    try {
        return Run(options);
    } catch (const std::exception& e) {
        std::cerr << "tessaline-console: " << e.what() << '\n';
        return 1;
    }
}
