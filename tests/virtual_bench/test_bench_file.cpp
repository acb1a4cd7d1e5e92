// Reading bench files: every problem is named with its place in the file, and the
// default bench holds what service engineers and tests rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "BenchFile.h"
#include "DeviceBlocks.h"
#include "app/buslink/BlockCrc.h"

namespace tessaline::bench {
namespace {

std::string OneDevice(const std::string& fields) {
    return R"({"devices": [{"address": 1, "name": "A")" + (fields.empty() ? "" : ", " + fields) + "}]}";
}

std::string OneRegister(const std::string& fields) { return OneDevice(R"("menu": [{"name": "R", )" + fields + "}]"); }

TEST(BenchFile, NamesEachProblemWithItsPlace) {
    const struct {
        std::string json;
        std::string error;
    } cases[] = {
        {"{", "not valid JSON"},
        {R"({"devices": []})", "devices: needs at least one device"},
        {OneDevice(R"("colour": 1)"), "devices[0]: unknown key \"colour\""},
        {R"({"devices": [{"address": 63, "name": "A"}]})", "devices[0].address: 63 is out of range 0 to 62"},
        {R"({"devices": [{"address": 1, "name": "A"}, {"address": 1, "name": "B"}]})",
         "devices[1].address: address 1 is taken by another device"},
        {R"({"devices": [{"address": 1, "name": "ABCDEFGHI"}]})", "devices[0].name: \"ABCDEFGHI\" is longer than 8"},
        {R"({"devices": [{"address": 1, "name": ""}]})", "devices[0].name: must have 1 to 8 characters"},
        {R"({"devices": [{"address": 1, "name": "\u20ac"}]})", "not a printable single-byte (Latin-1) character"},
        {OneRegister(R"("register": 7, "type": "u8")"), "devices[0].menu[0].register: 7 is kept for the device itself"},
        {OneRegister(R"("register": 128, "type": "u8")"), "devices[0].menu[0].register: 128 is out of range 0 to 127"},
        {OneRegister(R"("register": 8)"), "devices[0].menu[0]: a register needs \"type\""},
        {OneRegister(R"("register": 8, "type": "u12")"), "devices[0].menu[0].type: unknown data type"},
        {OneRegister(R"("register": 8, "type": "u8", "max": 300)"), "devices[0].menu[0].max: 300 is out of range 0 to 255"},
        {OneRegister(R"("register": 8, "type": "u8", "max": 1.5)"), "devices[0].menu[0].max: must be an integer"},
        {OneRegister(R"("register": 8, "type": "u8", "min": 5, "max": 9, "value": 10)"),
         "devices[0].menu[0].value: lies outside min..max"},
        {OneRegister(R"("register": 8, "type": "u8", "shortName": "ABCDEFGHIJKLMNOPQ")"),
         "devices[0].menu[0].shortName: \"ABCDEFGHIJKLMNOPQ\" is longer than 16 characters"},
        {OneRegister(R"("register": 8, "type": "u8", "rights": "AUX")"), "devices[0].menu[0].rights: \"AUX\" is not"},
        {OneRegister(R"("register": 8, "type": "str8", "generator": {"kind": "ramp"})"),
         "devices[0].menu[0].generator: a str8 register cannot move"},
        {OneRegister(R"("register": 8, "type": "u8", "generator": {"kind": "zigzag"})"),
         "devices[0].menu[0].generator.kind: must be one of"},
        {OneDevice(R"("menu": [{"register": 8, "type": "u8", "name": "X"}, {"register": 8, "type": "u8", "name": "Y"}])"),
         "devices[0].menu[1].register: register 8 is listed twice"},
        {OneDevice(R"("errors": [{"mask": 0, "name": "E"}])"), "devices[0].errors[0].mask: 0 is out of range 1 to 65535"},
        {OneDevice(R"("errors": [{"mask": "0x1G", "name": "E"}])"), "devices[0].errors[0].mask: \"0x1G\" is not an integer"},
        {OneDevice(R"("errorSchedule": {"steps": [{"atMs": 500}, {"atMs": 100}]})"),
         "devices[0].errorSchedule.steps[1].atMs: steps must come in time order"},
        {OneDevice(R"("errorSchedule": {"periodMs": 1000, "steps": [{"atMs": 1000}]})"),
         "devices[0].errorSchedule.steps[0].atMs: must lie within the period"},
        {OneDevice(R"("dataFile": {"hex": "01 0G"})"), "devices[0].dataFile.hex: \"0G\" is not a byte"},
        {OneDevice(R"("dataFile": {})"), "devices[0].dataFile: needs exactly one of \"text\" and \"hex\""},
        {OneDevice(R"("faults": {"silent": 1})"), "devices[0].faults.silent: must be true or false"},
        {R"({"devices": [{"address": 40, "name": "A"}]})", "secondMaster.address: address 40 is taken by a device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.json);
        const BenchFileResult result = ParseBench(c.json);
        EXPECT_FALSE(result.bench.has_value());
        EXPECT_NE(result.error.find(c.error), std::string::npos) << result.error;
    }
}

TEST(BenchFile, AMissingFileIsAnErrorNamingIt) {
    const BenchFileResult result = LoadBenchFile("/nonexistent/bench.json");
    EXPECT_FALSE(result.bench.has_value());
    EXPECT_EQ(result.error, "/nonexistent/bench.json: cannot be opened");
}

TEST(BenchFile, ReadsRightsInLetterForm) {
    const struct {
        const char* letters;
        std::optional<std::uint8_t> rights;
    } cases[] = {
        {"AUS", 0x3F}, {"ArUrSr", 0x2A}, {"USr", 0x0E}, {"", 0x00}, {"AUS,NV", 0x7F},
        {"SrArUr", 0x2A}, {"U,NV", 0x4C}, {"AA", std::nullopt}, {"AUX", std::nullopt}, {"Aw", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(RightsFromLetters(c.letters), c.rights) << c.letters;
}

TEST(BenchFile, TextsBecomeSingleByteCharacters) {
    const BenchFileResult result = ParseBench(OneRegister(R"("register": 8, "type": "u8", "format": "%d \u00b0C")"));
    ASSERT_TRUE(result.bench) << result.error;
    EXPECT_EQ(result.bench->devices[0].menu[0].printFormat, "%d \xB0" "C");
}

// The conversion letter of a print format, or '[' for an enumeration.
char Conversion(const std::string& format) {
    if (!format.empty() && format[0] == '[') return '[';
    const auto at = format.find_first_of("sdfuxge", 1);
    return format.empty() || format[0] != '%' || at == std::string::npos ? '\0' : format[at];
}

TEST(DefaultBench, CoversEveryTypeDisplayKindRightsGeneratorAndErrorMask) {
    const BenchFileResult result = LoadBenchFile(DEFAULT_BENCH_FILE);
    ASSERT_TRUE(result.bench) << result.error;
    const auto& devices = result.bench->devices;
    ASSERT_EQ(devices.size(), 4u);

    std::set<DataType> types;
    std::set<std::string> kinds;
    std::set<Generator::Kind> generators;
    bool userWrite = false, serviceWrite = false, advancedWrite = false, readOnly = false, nv = false;
    bool singleBit = false, multiBit = false;
    for (std::size_t d = 0; d < 3; ++d) {
        const auto& menu = devices[d].menu;
        for (std::size_t i = 0; i < menu.size(); ++i) {
            const MenuEntry& entry = menu[i];
            if (entry.IsGroupHeader()) {
                ASSERT_LT(i + 1, menu.size());
                EXPECT_NE(menu[i + 1].menuByte & 0x0F, 0) << "a group header is followed by its members";
                continue;
            }
            types.insert(entry.type);
            const char letter = Conversion(entry.printFormat);
            const bool real = letter == 'e' || letter == 'f' || letter == 'g';
            if (letter == 'd' || letter == 'u' || letter == 'x') kinds.insert(std::string("integer ") + letter);
            if (real) kinds.insert(entry.type == DataType::Float ? "float" : "scaled");
            if (letter == '[') kinds.insert("enumeration");
            if (letter == 's') kinds.insert("text");
            userWrite |= (entry.rights & 0x04) != 0;
            serviceWrite |= (entry.rights & 0x01) != 0;
            advancedWrite |= (entry.rights & 0x10) != 0;
            readOnly |= (entry.rights & 0x2A) != 0 && (entry.rights & 0x15) == 0;
            nv |= (entry.rights & 0x40) != 0;
            if (entry.generator) generators.insert(entry.generator->kind);
        }
        for (const ErrorEntry& error : devices[d].errors) {
            const int bits = std::popcount(error.mask);
            singleBit |= bits == 1;
            multiBit |= bits > 1;
        }
        EXPECT_TRUE(BlockIsValid(BuildMenuBlock(menu)));
    }
    EXPECT_EQ(types.size(), 8u);
    EXPECT_EQ(kinds, (std::set<std::string>{"integer d", "integer u", "integer x", "scaled", "enumeration", "float",
                                            "text"}));
    EXPECT_TRUE(userWrite && serviceWrite && advancedWrite && readOnly && nv);
    EXPECT_EQ(generators.size(), 4u);
    EXPECT_TRUE(singleBit && multiBit);
    EXPECT_TRUE(std::any_of(devices.begin(), devices.begin() + 3,
                            [](const DeviceDescription& d) { return BlockIsValid(d.dataFile) && d.dataFile.size() > 2; }));
    EXPECT_GE(devices[3].menu.size(), 150u) << "the long menu for load work";
}

}  // namespace
}  // namespace tessaline::bench
