#include "app/menus/Rights.h"

namespace tessaline {

namespace {

struct Level {
    char letter;
    std::uint8_t read;
    std::uint8_t write;
};

constexpr Level kLevels[] = {
    {'A', rights::AdvancedRead, rights::AdvancedWrite},
    {'U', rights::UserRead, rights::UserWrite},
    {'S', rights::ServiceRead, rights::ServiceWrite},
};

}  // namespace

std::string RightsText(std::uint8_t bits) {
    std::string text;
    for (const Level& level : kLevels) {
        if ((bits & level.read) == 0) continue;
        text += level.letter;
        if ((bits & level.write) == 0) text += 'r';
    }
    return text;
}

std::string RightsTextWithNv(std::uint8_t bits) {
    return (bits & rights::Nonvolatile) != 0 ? RightsText(bits) + ",NV" : RightsText(bits);
}

std::uint8_t RightsFromText(std::string_view text) {
    std::uint8_t bits = 0;
    for (const Level& level : kLevels) {
        const std::size_t at = text.find(level.letter);
        if (at == std::string_view::npos) continue;
        const bool readOnly = at + 1 < text.size() && text[at + 1] == 'r';
        bits = static_cast<std::uint8_t>(bits | level.read | (readOnly ? 0 : level.write));
    }
    return bits;
}

}  // namespace tessaline
