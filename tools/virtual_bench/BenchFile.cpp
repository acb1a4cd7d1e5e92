#include "BenchFile.h"

#include <cmath>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "DeviceBlocks.h"
#include "VirtualDevice.h"
#include "app/buslink/BlockCrc.h"
#include "app/menus/Rights.h"

namespace tessaline::bench {
namespace {

using Json = nlohmann::json;

constexpr std::uint8_t kMaxDeviceAddress = 62;
constexpr std::uint8_t kMaxRegister = 127;
constexpr std::size_t kMaxShortName = 16;
constexpr std::size_t kMaxText = 255;
constexpr std::int64_t kMinPeriodMs = 10;
constexpr std::int64_t kMaxPeriodMs = 3600 * 1000;

// Thrown inside this file only; ParseBench turns it into the result's error text.
struct Invalid : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& path, const std::string& message) { throw Invalid(path + ": " + message); }

std::string Quote(std::string_view text) { return "\"" + std::string(text) + "\""; }

void CheckKeys(const Json& object, const std::string& path, std::initializer_list<std::string_view> known) {
    if (!object.is_object()) Fail(path, "must be an object");
    for (const auto& [key, value] : object.items()) {
        bool found = key == "comment";
        for (std::string_view name : known) found = found || key == name;
        if (!found) {
            std::string list;
            for (std::string_view name : known) list += (list.empty() ? "" : ", ") + std::string(name);
            Fail(path, "unknown key " + Quote(key) + " (known: " + list + ")");
        }
    }
}

std::string At(const std::string& path, std::string_view key) { return path + "." + std::string(key); }
std::string At(const std::string& path, std::size_t index) { return path + "[" + std::to_string(index) + "]"; }

const Json* Find(const Json& object, std::string_view key) {
    auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

// An integer, written as a JSON number or as a decimal or "0x" text.
std::int64_t Integer(const Json& value, const std::string& path, std::int64_t min, std::int64_t max) {
    std::int64_t number = 0;
    if (value.is_number_unsigned()) {
        const std::uint64_t unsignedNumber = value.get<std::uint64_t>();
        if (unsignedNumber > std::uint64_t(max)) {
            Fail(path, std::to_string(unsignedNumber) + " is out of range " + std::to_string(min) + " to " +
                           std::to_string(max));
        }
        number = static_cast<std::int64_t>(unsignedNumber);
    } else if (value.is_number_integer()) {
        number = value.get<std::int64_t>();
    } else if (value.is_string()) {
        const std::string text = value.get<std::string>();
        std::size_t used = 0;
        try {
            number = std::stoll(text, &used, 0);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used == 0 || used != text.size()) Fail(path, Quote(text) + " is not an integer");
    } else {
        Fail(path, "must be an integer");
    }
    if (number < min || number > max) {
        Fail(path, std::to_string(number) + " is out of range " + std::to_string(min) + " to " + std::to_string(max));
    }
    return number;
}

std::int64_t OptionalInteger(const Json& object, std::string_view key, const std::string& path, std::int64_t min,
                             std::int64_t max, std::int64_t fallback) {
    const Json* value = Find(object, key);
    return value ? Integer(*value, At(path, key), min, max) : fallback;
}

bool OptionalBool(const Json& object, std::string_view key, const std::string& path) {
    const Json* value = Find(object, key);
    if (!value) return false;
    if (!value->is_boolean()) Fail(At(path, key), "must be true or false");
    return value->get<bool>();
}

double Number(const Json& value, const std::string& path) {
    if (!value.is_number()) Fail(path, "must be a number");
    return value.get<double>();
}

// UTF-8 from the file to the single-byte characters devices use.
std::string SingleByteText(const Json& value, const std::string& path, std::size_t maxLength) {
    if (!value.is_string()) Fail(path, "must be a text");
    const std::string utf8 = value.get<std::string>();
    std::string text;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        unsigned code = lead;
        std::size_t length = 1;
        if (lead >= 0xC0 && lead < 0xE0 && i + 1 < utf8.size()) {
            code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
            length = 2;
        } else if (lead >= 0x80) {
            code = 0x100;  // three- and four-byte sequences lie beyond Latin-1 anyway
        }
        if (code < 0x20 || code > 0xFF) {
            Fail(path, Quote(utf8) + " holds a character that is not a printable single-byte (Latin-1) character");
        }
        text.push_back(static_cast<char>(code));
        i += length;
    }
    if (text.size() > maxLength) {
        Fail(path, Quote(utf8) + " is longer than " + std::to_string(maxLength) + " characters");
    }
    return text;
}

std::string OptionalText(const Json& object, std::string_view key, const std::string& path, std::size_t maxLength) {
    const Json* value = Find(object, key);
    return value ? SingleByteText(*value, At(path, key), maxLength) : std::string();
}

BenchTime Period(const Json& object, std::string_view key, const std::string& path, std::int64_t fallback) {
    return BenchTime{OptionalInteger(object, key, path, kMinPeriodMs, kMaxPeriodMs, fallback)};
}

RegisterValue Value(const Json& value, DataType type, const std::string& path) {
    if (type == DataType::Str8) return SingleByteText(value, path, kStr8Size);
    if (type == DataType::Float) {
        const double number = Number(value, path);
        if (std::fabs(number) > static_cast<double>(std::numeric_limits<float>::max())) {
            Fail(path, "does not fit a float");
        }
        return static_cast<float>(number);
    }
    return Integer(value, path, std::get<std::int64_t>(TypeMinimum(type)), std::get<std::int64_t>(TypeMaximum(type)));
}

double AsDouble(const RegisterValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* f = std::get_if<float>(&value)) return static_cast<double>(*f);
    return 0.0;
}

std::uint8_t Rights(const Json& value, const std::string& path) {
    if (value.is_string()) {
        const std::string letters = value.get<std::string>();
        const auto rights = RightsFromLetters(letters);
        if (!rights) {
            Fail(path, Quote(letters) + " is not a rights text: use A, U and S, each optionally followed by r "
                                        "(read only), and NV, as in \"AUS,NV\" or \"ArUrSr\"");
        }
        return *rights;
    }
    return static_cast<std::uint8_t>(Integer(value, path, 0, 0x7F));
}

Generator ReadGenerator(const Json& object, const std::string& path, const MenuEntry& entry) {
    CheckKeys(object, path, {"kind", "periodMs", "low", "high", "step"});
    if (entry.type == DataType::Str8) Fail(path, "a str8 register cannot move");
    Generator generator;
    const Json* kind = Find(object, "kind");
    const std::string name = kind && kind->is_string() ? kind->get<std::string>() : std::string();
    if (name == "constant") {
        generator.kind = Generator::Kind::Constant;
    } else if (name == "ramp") {
        generator.kind = Generator::Kind::Ramp;
    } else if (name == "sine") {
        generator.kind = Generator::Kind::Sine;
    } else if (name == "randomWalk") {
        generator.kind = Generator::Kind::RandomWalk;
    } else {
        Fail(At(path, "kind"), "must be one of \"constant\", \"ramp\", \"sine\", \"randomWalk\"");
    }
    generator.period = Period(object, "periodMs", path, 1000);
    const Json* low = Find(object, "low");
    const Json* high = Find(object, "high");
    generator.low = low ? Number(*low, At(path, "low")) : AsDouble(entry.min);
    generator.high = high ? Number(*high, At(path, "high")) : AsDouble(entry.max);
    if (generator.low > generator.high) Fail(path, "low is above high");
    if (const Json* step = Find(object, "step")) generator.step = Number(*step, At(path, "step"));
    if (generator.step < 0) Fail(At(path, "step"), "must not be negative");
    return generator;
}

MenuEntry ReadMenuEntry(const Json& object, const std::string& path) {
    CheckKeys(object, path,
              {"register", "menu", "type", "rights", "min", "max", "value", "shortName", "format", "name", "generator"});
    MenuEntry entry;
    entry.menuByte = static_cast<std::uint8_t>(OptionalInteger(object, "menu", path, 0, 0xFF, 0));
    const bool header = entry.IsGroupHeader();

    const Json* reg = Find(object, "register");
    if (reg) {
        entry.reg = static_cast<std::uint8_t>(Integer(*reg, At(path, "register"), 0, header ? 0xFF : kMaxRegister));
        if (!header && IsReservedRegister(entry.reg)) {
            Fail(At(path, "register"), std::to_string(entry.reg) +
                                           " is kept for the device itself (0 name, 1 menu list, 2 errors, "
                                           "4 error list, 5 node address, 7 data file)");
        }
    } else if (!header) {
        Fail(path, "a register needs \"register\" (a group header has a menu byte with a zero low nibble)");
    }

    const Json* type = Find(object, "type");
    if (type) {
        const auto parsed = type->is_string() ? TypeFromName(type->get<std::string>()) : std::nullopt;
        if (!parsed) Fail(At(path, "type"), "unknown data type; use one of u8, s8, u16, s16, u32, s32, float, str8");
        entry.type = *parsed;
    } else if (!header) {
        Fail(path, "a register needs \"type\"");
    }

    const Json* rights = Find(object, "rights");
    entry.rights = rights ? Rights(*rights, At(path, "rights")) : RightsFromLetters("ArUrSr").value();

    const Json* min = Find(object, "min");
    const Json* max = Find(object, "max");
    entry.min = min ? Value(*min, entry.type, At(path, "min")) : TypeMinimum(entry.type);
    entry.max = max ? Value(*max, entry.type, At(path, "max")) : TypeMaximum(entry.type);
    if (AsDouble(entry.min) > AsDouble(entry.max)) Fail(path, "min is above max");

    const Json* value = Find(object, "value");
    entry.initial = value ? Value(*value, entry.type, At(path, "value"))
                          : Clamp(entry.type, ZeroValue(entry.type), entry.min, entry.max);
    if (AsDouble(entry.initial) < AsDouble(entry.min) || AsDouble(entry.initial) > AsDouble(entry.max)) {
        Fail(At(path, "value"), "lies outside min..max");
    }

    entry.shortName = OptionalText(object, "shortName", path, kMaxShortName);
    entry.printFormat = OptionalText(object, "format", path, kMaxText);
    entry.name = OptionalText(object, "name", path, kMaxText);
    if (entry.name.empty()) Fail(path, "needs a \"name\"");
    if (const Json* generator = Find(object, "generator")) {
        if (header) Fail(At(path, "generator"), "a group header has no value");
        entry.generator = ReadGenerator(*generator, At(path, "generator"), entry);
    }
    return entry;
}

ErrorEntry ReadErrorEntry(const Json& object, const std::string& path) {
    CheckKeys(object, path, {"mask", "name", "text"});
    const Json* mask = Find(object, "mask");
    if (!mask) Fail(path, "needs a \"mask\"");
    ErrorEntry entry;
    entry.mask = static_cast<std::uint16_t>(Integer(*mask, At(path, "mask"), 1, 0xFFFF));
    entry.name = OptionalText(object, "name", path, kMaxText);
    entry.text = OptionalText(object, "text", path, kMaxText);
    if (entry.name.empty()) Fail(path, "needs a \"name\"");
    return entry;
}

ErrorSchedule ReadErrorSchedule(const Json& object, const std::string& path) {
    CheckKeys(object, path, {"periodMs", "steps"});
    ErrorSchedule schedule;
    schedule.period = BenchTime{OptionalInteger(object, "periodMs", path, 0, kMaxPeriodMs, 0)};
    if (schedule.period.count() > 0 && schedule.period.count() < kMinPeriodMs) {
        Fail(At(path, "periodMs"), "must be 0 (once) or at least " + std::to_string(kMinPeriodMs));
    }
    const Json* steps = Find(object, "steps");
    if (!steps || !steps->is_array()) Fail(path, "needs \"steps\", an array");
    for (std::size_t i = 0; i < steps->size(); ++i) {
        const std::string stepPath = At(At(path, "steps"), i);
        const Json& step = (*steps)[i];
        CheckKeys(step, stepPath, {"atMs", "raise", "clear"});
        ErrorStep parsed;
        parsed.at = BenchTime{OptionalInteger(step, "atMs", stepPath, 0, kMaxPeriodMs, 0)};
        parsed.raise = static_cast<std::uint16_t>(OptionalInteger(step, "raise", stepPath, 0, 0xFFFF, 0));
        parsed.clear = static_cast<std::uint16_t>(OptionalInteger(step, "clear", stepPath, 0, 0xFFFF, 0));
        if (!schedule.steps.empty() && parsed.at < schedule.steps.back().at) {
            Fail(At(stepPath, "atMs"), "steps must come in time order");
        }
        if (schedule.period.count() > 0 && parsed.at >= schedule.period) {
            Fail(At(stepPath, "atMs"), "must lie within the period");
        }
        schedule.steps.push_back(parsed);
    }
    return schedule;
}

std::vector<std::uint8_t> HexBytes(const std::string& text, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(text);
    std::string pair;
    while (in >> pair) {
        std::size_t used = 0;
        unsigned long value = 0;
        try {
            value = std::stoul(pair, &used, 16);
        } catch (const std::exception&) {
            used = 0;
        }
        if (pair.size() != 2 || used != 2) Fail(path, Quote(pair) + " is not a byte of two hexadecimal digits");
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

Block ReadDataFile(const Json& object, const std::string& path) {
    CheckKeys(object, path, {"text", "hex"});
    const Json* text = Find(object, "text");
    const Json* hex = Find(object, "hex");
    if ((text == nullptr) == (hex == nullptr)) Fail(path, "needs exactly one of \"text\" and \"hex\"");
    std::vector<std::uint8_t> payload;
    if (text) {
        const std::string single = SingleByteText(*text, At(path, "text"), 4096);
        payload.assign(single.begin(), single.end());
    } else {
        if (!hex->is_string()) Fail(At(path, "hex"), "must be a text of hexadecimal bytes");
        payload = HexBytes(hex->get<std::string>(), At(path, "hex"));
    }
    return SealBlock(payload);
}

DeviceFaults ReadFaults(const Json& object, const std::string& path) {
    CheckKeys(object, path, {"noMenuList", "noErrorList", "badMenuCrc", "refuseUpload", "silent", "chunkIntervalMs"});
    DeviceFaults faults;
    faults.noMenuList = OptionalBool(object, "noMenuList", path);
    faults.noErrorList = OptionalBool(object, "noErrorList", path);
    faults.badMenuCrc = OptionalBool(object, "badMenuCrc", path);
    faults.refuseUpload = OptionalBool(object, "refuseUpload", path);
    faults.silent = OptionalBool(object, "silent", path);
    faults.chunkInterval = BenchTime{OptionalInteger(object, "chunkIntervalMs", path, 0, kMaxPeriodMs, 0)};
    return faults;
}

DeviceDescription ReadDevice(const Json& object, const std::string& path) {
    CheckKeys(object, path,
              {"address", "name", "listenPeriodMs", "menu", "errors", "initialErrors", "errorSchedule", "dataFile",
               "faults"});
    DeviceDescription device;
    const Json* address = Find(object, "address");
    if (!address) Fail(path, "needs an \"address\"");
    device.address = static_cast<std::uint8_t>(Integer(*address, At(path, "address"), 0, kMaxDeviceAddress));
    const Json* name = Find(object, "name");
    if (!name) Fail(path, "needs a \"name\"");
    device.name = SingleByteText(*name, At(path, "name"), 8);
    if (device.name.empty() || device.name.back() == ' ') {
        Fail(At(path, "name"), "must have 1 to 8 characters and not end in a space");
    }
    device.listenPeriod = Period(object, "listenPeriodMs", path, 100);

    if (const Json* menu = Find(object, "menu")) {
        if (!menu->is_array()) Fail(At(path, "menu"), "must be an array");
        std::set<std::uint8_t> used;
        for (std::size_t i = 0; i < menu->size(); ++i) {
            const std::string entryPath = At(At(path, "menu"), i);
            MenuEntry entry = ReadMenuEntry((*menu)[i], entryPath);
            if (!entry.IsGroupHeader() && !used.insert(entry.reg).second) {
                Fail(At(entryPath, "register"), "register " + std::to_string(entry.reg) + " is listed twice");
            }
            device.menu.push_back(std::move(entry));
        }
    }
    if (const Json* errors = Find(object, "errors")) {
        if (!errors->is_array()) Fail(At(path, "errors"), "must be an array");
        for (std::size_t i = 0; i < errors->size(); ++i) {
            device.errors.push_back(ReadErrorEntry((*errors)[i], At(At(path, "errors"), i)));
        }
    }
    device.initialErrors = static_cast<std::uint16_t>(OptionalInteger(object, "initialErrors", path, 0, 0xFFFF, 0));
    if (const Json* schedule = Find(object, "errorSchedule")) {
        device.errorSchedule = ReadErrorSchedule(*schedule, At(path, "errorSchedule"));
    }
    if (const Json* dataFile = Find(object, "dataFile")) device.dataFile = ReadDataFile(*dataFile, At(path, "dataFile"));
    if (const Json* faults = Find(object, "faults")) device.faults = ReadFaults(*faults, At(path, "faults"));
    return device;
}

BenchDescription ReadBench(const Json& root) {
    CheckKeys(root, "bench", {"devices", "secondMaster"});
    BenchDescription bench;
    const Json* devices = Find(root, "devices");
    if (!devices || !devices->is_array() || devices->empty()) Fail("devices", "needs at least one device");
    std::set<std::uint8_t> addresses;
    for (std::size_t i = 0; i < devices->size(); ++i) {
        const std::string path = At("devices", i);
        DeviceDescription device = ReadDevice((*devices)[i], path);
        if (!addresses.insert(device.address).second) {
            Fail(At(path, "address"), "address " + std::to_string(device.address) + " is taken by another device");
        }
        bench.devices.push_back(std::move(device));
    }
    if (const Json* master = Find(root, "secondMaster")) {
        const std::string path = "secondMaster";
        CheckKeys(*master, path, {"address", "periodMs", "enabled"});
        bench.secondMaster.address = static_cast<std::uint8_t>(
            OptionalInteger(*master, "address", path, 0, kMaxDeviceAddress, bench.secondMaster.address));
        bench.secondMaster.period = Period(*master, "periodMs", path, bench.secondMaster.period.count());
        bench.secondMaster.enabled = OptionalBool(*master, "enabled", path);
    }
    if (addresses.count(bench.secondMaster.address) != 0) {
        Fail("secondMaster.address",
             "address " + std::to_string(bench.secondMaster.address) + " is taken by a device");
    }
    return bench;
}

}  // namespace

std::optional<std::uint8_t> RightsFromLetters(std::string_view letters) {
    constexpr std::uint8_t kReadBits = rights::AdvancedRead | rights::UserRead | rights::ServiceRead;
    std::uint8_t bits = 0;
    for (std::size_t i = 0; i < letters.size(); ++i) {
        const char c = letters[i];
        std::uint8_t level = 0;
        if (c == 'A') level = rights::AdvancedRead | rights::AdvancedWrite;
        if (c == 'U') level = rights::UserRead | rights::UserWrite;
        if (c == 'S') level = rights::ServiceRead | rights::ServiceWrite;
        if (level != 0) {
            if (bits & level) return std::nullopt;  // a level named twice
            const bool readOnly = i + 1 < letters.size() && letters[i + 1] == 'r';
            bits = static_cast<std::uint8_t>(bits | (readOnly ? (level & kReadBits) : level));
            i += readOnly ? 1 : 0;
        } else if (letters.substr(i, 2) == "NV") {
            bits = static_cast<std::uint8_t>(bits | rights::Nonvolatile);
            ++i;
        } else if (c != ',') {
            return std::nullopt;
        }
    }
    return bits;
}

BenchFileResult ParseBench(std::string_view json) {
    BenchFileResult result;
    try {
        result.bench = ReadBench(Json::parse(json));
    } catch (const Invalid& invalid) {
        result.error = invalid.what();
    } catch (const Json::parse_error& error) {
        result.error = std::string("not valid JSON: ") + error.what();
    } catch (const Json::exception& error) {
        result.error = error.what();
    }
    return result;
}

BenchFileResult LoadBenchFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return {std::nullopt, path + ": cannot be opened"};
    std::ostringstream text;
    text << file.rdbuf();
    BenchFileResult result = ParseBench(text.str());
    if (!result.bench) result.error = path + ": " + result.error;
    return result;
}

}  // namespace tessaline::bench
