#include "ControlCommands.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <vector>

#include "RegisterValue.h"

namespace tessaline::bench {
namespace {

constexpr const char* kHelp =
    "list                       devices, their state and the second master\n"
    "show ADDR                  registers of one device with their values\n"
    "set ADDR REG VALUE         set a register's value (a moving value stops)\n"
    "raise ADDR MASK            raise error bits\n"
    "clear ADDR MASK            clear error bits\n"
    "fault ADDR NAME on|off     NAME: nomenu, noerrors, badcrc, refuse, silent\n"
    "fault ADDR chunk MS        send a download chunk every MS ms (0: at once)\n"
    "master on|off              switch the second master\n"
    "power [ADDR]               power cycle one device or all\n"
    "quit                       stop the bench\n";

std::vector<std::string> Words(std::string_view line) {
    std::vector<std::string> words;
    std::istringstream in{std::string(line)};
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

std::optional<long long> Number(const std::string& word) {
    const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
    const char* first = word.data() + (hex ? 2 : 0);
    const char* last = word.data() + word.size();
    long long value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (error != std::errc() || end != last || first == last) return std::nullopt;
    return value;
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFu);
    return text;
}

std::string FaultText(const DeviceFaults& faults) {
    std::string text;
    auto add = [&text](bool on, const char* name) {
        if (on) text += std::string(text.empty() ? "" : ",") + name;
    };
    add(faults.noMenuList, "nomenu");
    add(faults.noErrorList, "noerrors");
    add(faults.badMenuCrc, "badcrc");
    add(faults.refuseUpload, "refuse");
    add(faults.silent, "silent");
    if (faults.chunkInterval.count() > 0) {
        text += (text.empty() ? "chunk=" : ",chunk=") + std::to_string(faults.chunkInterval.count()) + "ms";
    }
    return text.empty() ? "none" : text;
}

std::string List(VirtualBus& bus) {
    std::ostringstream out;
    for (std::size_t i = 0; i < bus.DeviceCount(); ++i) {
        VirtualDevice& device = bus.DeviceByIndex(i);
        std::size_t listened = 0;
        for (std::uint8_t number : device.MenuRegisters()) listened += device.Listeners(number).empty() ? 0 : 1;
        out << "device " << int(device.Address()) << " " << device.Name() << ": "
            << device.MenuRegisters().size() << " registers, errors " << Hex4(device.Errors()) << ", reports "
            << (device.ErrorReportListeners().empty() ? "off" : "on") << ", listened " << listened
            << ", data file " << device.DataFile().size() << " bytes, faults " << FaultText(device.Faults()) << "\n";
    }
    out << "second master " << int(bus.Master().Address()) << ": " << (bus.Master().Enabled() ? "on" : "off")
        << "\n";
    return out.str();
}

std::string Show(VirtualDevice& device, BenchTime now) {
    std::ostringstream out;
    for (const MenuEntry& entry : device.Description().menu) {
        if (entry.IsGroupHeader()) {
            out << "  [" << entry.name << "]\n";
            continue;
        }
        const auto value = device.Value(entry.reg, now);
        out << "  " << int(entry.reg) << " " << entry.name << " (" << TypeName(entry.type)
            << ") = " << (value ? ValueText(*value) : "") << "\n";
    }
    return out.str();
}

bool Switch(const std::string& word, bool& on) {
    if (word == "on") on = true;
    else if (word == "off") on = false;
    else return false;
    return true;
}

CommandResult Error(const std::string& message) { return {"error: " + message + "\n", false}; }

CommandResult Fault(VirtualDevice& device, const std::vector<std::string>& words) {
    DeviceFaults& faults = device.Faults();
    if (words[2] == "chunk") {
        const auto ms = Number(words[3]);
        if (!ms || *ms < 0 || *ms > 3600000) return Error("chunk wants milliseconds from 0 to 3600000");
        faults.chunkInterval = BenchTime{*ms};
        return {"ok\n", false};
    }
    bool on = false;
    if (!Switch(words[3], on)) return Error("a fault is switched on or off");
    if (words[2] == "nomenu") faults.noMenuList = on;
    else if (words[2] == "noerrors") faults.noErrorList = on;
    else if (words[2] == "badcrc") faults.badMenuCrc = on;
    else if (words[2] == "refuse") faults.refuseUpload = on;
    else if (words[2] == "silent") faults.silent = on;
    else return Error("unknown fault " + words[2] + " (nomenu, noerrors, badcrc, refuse, silent, chunk)");
    return {"ok\n", false};
}

}  // namespace

CommandResult RunCommand(VirtualBus& bus, std::string_view line, BenchTime now) {
    const std::vector<std::string> words = Words(line);
    if (words.empty()) return {};
    const std::string& verb = words[0];
    if (verb == "help") return {kHelp, false};
    if (verb == "quit") return {"", true};
    if (verb == "list") return {List(bus), false};
    if (verb == "master") {
        bool on = false;
        if (words.size() != 2 || !Switch(words[1], on)) return Error("usage: master on|off");
        bus.Master().Enable(on, now);
        return {"ok\n", false};
    }
    if (verb == "power" && words.size() == 1) {
        bus.PowerCycle(now);
        return {"ok\n", false};
    }

    const std::size_t expected = verb == "set" || verb == "fault" ? 4 : verb == "raise" || verb == "clear" ? 3 : 2;
    if (verb != "show" && verb != "set" && verb != "raise" && verb != "clear" && verb != "fault" && verb != "power") {
        return Error("unknown command " + verb + "; try help");
    }
    if (words.size() != expected) return Error("wrong number of words; try help");
    const auto address = Number(words[1]);
    VirtualDevice* device = address && *address >= 0 && *address <= 63 ? bus.DeviceAt(std::uint8_t(*address)) : nullptr;
    if (!device) return Error("no device at address " + words[1]);

    if (verb == "show") return {Show(*device, now), false};
    if (verb == "power") {
        device->PowerCycle(now);
        return {"ok\n", false};
    }
    if (verb == "fault") return Fault(*device, words);
    if (verb == "raise" || verb == "clear") {
        const auto mask = Number(words[2]);
        if (!mask || *mask < 0 || *mask > 0xFFFF) return Error("a mask is a number from 0 to 0xFFFF");
        if (verb == "raise") device->RaiseErrors(std::uint16_t(*mask));
        else device->ClearErrors(std::uint16_t(*mask));
        return {"errors " + Hex4(device->Errors()) + "\n", false};
    }
    // set ADDR REG VALUE
    const auto number = Number(words[2]);
    const MenuEntry* entry = number && *number >= 0 && *number <= 255 ? device->Entry(std::uint8_t(*number)) : nullptr;
    if (!entry) return Error("device " + words[1] + " has no register " + words[2]);
    RegisterValue value = words[3];
    if (entry->type != DataType::Str8) {
        char* end = nullptr;
        const double parsed = std::strtod(words[3].c_str(), &end);
        const auto integer = Number(words[3]);
        if (integer) value = std::int64_t{*integer};
        else if (end != words[3].c_str() && *end == '\0') value = static_cast<float>(parsed);
        else return Error(words[3] + " is not a number");
    }
    device->SetValue(std::uint8_t(*number), value);
    return {"ok " + ValueText(*device->Value(std::uint8_t(*number), now)) + "\n", false};
}

}  // namespace tessaline::bench
