#include "FrameMonitorLine.h"

#include <algorithm>
#include <cstdio>

#include "app/buslink/FrameId.h"

namespace tessaline::bench {
namespace {

// Bytes 0x20..0xFF are the characters U+0020..U+00FF.
void AppendCharacter(std::string& text, std::uint8_t byte) {
    if (byte < 0x20) {
        text += "\xCB\x99";  // U+02D9 DOT ABOVE
    } else if (byte < 0x80) {
        text.push_back(static_cast<char>(byte));
    } else {
        text.push_back(static_cast<char>(0xC0 | (byte >> 6)));
        text.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
}

}  // namespace

std::string FrameMonitorLine(const CanFrame& frame, bool fromWorkbench) {
    const char* direction = fromWorkbench ? "<-" : (FrameDest(frame) == kPcNode ? "->" : "<>");
    static constexpr char kPriority[] = {'T', 'H', 'M', 'L'};
    const std::uint8_t flags = FrameFlags(frame);
    const char letters[5] = {(flags & fl::W) ? 'W' : '-', (flags & fl::R) ? 'R' : '-', (flags & fl::N) ? 'N' : '-',
                             (flags & fl::Q) ? 'Q' : '-', '\0'};
    const std::size_t count = std::min<std::size_t>(frame.Dlc, 8);

    std::string data;
    for (std::size_t i = 0; i < 8; ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02X", frame.Data[i]);
        data += i < count ? hex : "   ";
    }
    data += " |";
    for (std::size_t i = 0; i < count; ++i) AppendCharacter(data, frame.Data[i]);

    char head[64];
    std::snprintf(head, sizeof head, "%s %c %02X %02X %02X %s %c %d|", direction, kPriority[(frame.Id >> 27) & 0x3],
                  FrameDest(frame), FrameSource(frame), FrameReg(frame), letters,
                  (frame.FrameFormat & UCAN_FORMAT_REMOTE) ? 'R' : '-', static_cast<int>(frame.Dlc));
    return head + data;
}

}  // namespace tessaline::bench
