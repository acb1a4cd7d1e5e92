#include "corvane_settings.h"

#include <charconv>
#include <fstream>
#include <iterator>

namespace corvane {

namespace {

constexpr std::string_view kPortKey = "port=";
constexpr std::string_view kBitRateKey = "baud=";
constexpr std::string_view kDevicePrefix = "\\\\.\\";
// Files of this format have always been read in pieces of this many characters.
constexpr std::size_t kPieceLength = 59;

std::string PortValue(std::string_view value) {
    if (value.starts_with(kDevicePrefix)) value.remove_prefix(kDevicePrefix.size());
    return std::string(value);
}

void ParseBitRate(std::string_view value, std::uint32_t& bitRate) {
    const auto digits = value.find_first_not_of(" \t");
    if (digits == std::string_view::npos) return;
    std::uint32_t parsed = 0;
    const char* first = value.data() + digits;
    const auto [end, error] = std::from_chars(first, value.data() + value.size(), parsed);
    // A rate of 0 would hang up the line; it counts as no number at all.
    if (error == std::errc() && end != first && parsed > 0) bitRate = parsed;
}

void ApplyLine(std::string_view line, CorvaneSettings& settings) {
    for (std::size_t offset = 0; offset < line.size(); offset += kPieceLength) {
        const std::string_view piece = line.substr(offset, kPieceLength);
        if (piece.starts_with(kPortKey)) {
            // Device paths are longer than a piece: the value runs to the end of the line.
            settings.port = PortValue(line.substr(offset + kPortKey.size()));
            return;
        }
        if (piece.starts_with(kBitRateKey)) ParseBitRate(piece.substr(kBitRateKey.size()), settings.bitRate);
    }
}

}  // namespace

CorvaneSettings ParseCorvaneSettings(std::string_view text) {
    CorvaneSettings settings;
    while (!text.empty()) {
        const auto lineEnd = text.find('\n');
        std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd == std::string_view::npos ? text.size() : lineEnd + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ApplyLine(line, settings);
    }
    return settings;
}

CorvaneSettings ReadCorvaneSettings() {
    std::ifstream file("CORVANE.INI", std::ios::binary);
    if (!file) return {};
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return ParseCorvaneSettings(text);
}

}  // namespace corvane
