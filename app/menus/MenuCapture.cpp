#include "app/menus/MenuCapture.h"

#include <algorithm>

#include "app/buslink/FrameId.h"
#include "app/buslink/uCANprocess.h"
#include "app/menus/AnswerMatches.h"
#include "app/menus/MenuParser.h"

namespace tessaline {

namespace {

constexpr std::uint8_t kNameReg = 0;
constexpr std::uint8_t kErrorReg = 2;
constexpr std::uint8_t kLastProbedNode = 62;

bool IsNameAnswer(const CanFrame& f) {
    return FrameMatches(f, kPcNode, kAnyNode, kNameReg) && (FrameFlags(f) & (fl::R | fl::Q)) == 0 && f.Dlc > 0;
}

}  // namespace

void MenuCapture::SetStatus(std::string text) { status_ = std::move(text); }

bool MenuCapture::StartScan() {
    s_.dispatch.SetReceiveMode(kModeOneRegister, nullptr, nullptr, kNameReg);
    s_.dispatch.ClearRxQueue();
    for (std::uint8_t node = 0; node <= kLastProbedNode; ++node) {
        if (s_.link.SendFrame(kWorkbenchPriority, node, kPcNode, kNameReg, fl::Rtr) != UCAN_OK) return false;
    }
    SetStatus("Scanning");
    countdown_ = kCountdownTicks;
    s_.devices.clear();
    scanning_ = true;
    return true;
}

void MenuCapture::Tick() {
    if (scanning_) ScanTick();
    if (reading_) ReadTick();
}

void MenuCapture::ScanTick() {
    s_.dispatch.canAllMsg.TryTake();
    s_.dispatch.rxQueue.TakeAll([&](const CanFrame& f) {
        if (!IsNameAnswer(f)) return;
        const std::uint8_t id = FrameSource(f);
        const bool known = std::any_of(s_.devices.begin(), s_.devices.end(),
                                       [id](const DeviceEntry& e) { return e.id == id; });
        if (known) return;
        s_.devices.push_back({id, PaddedDeviceName(f.Data, f.Dlc), 0});
        countdown_ = kCountdownTicks;
    });
    if (--countdown_ <= 0) {
        s_.dispatch.SetReceiveMode(kModeIdle);
        scanning_ = false;
    }
}

MenuCapture::ScanOutcome MenuCapture::FinishScan() {
    std::sort(s_.devices.begin(), s_.devices.end(),
              [](const DeviceEntry& a, const DeviceEntry& b) { return a.id < b.id; });
    if (s_.devices.empty()) {
        s_.user.ShowError("No devices online. Check connection and power! Try again");
        return ScanOutcome::NoDevices;
    }
    if (s_.devices.size() == 1) return ScanOutcome::OneDevice;
    currentNode_ = kNoNode;
    SetStatus("Select Device(s)");
    return ScanOutcome::Choose;
}

std::vector<std::string> MenuCapture::DeviceLines() const {
    std::vector<std::string> lines;
    for (const DeviceEntry& e : s_.devices) lines.push_back("ID=" + std::to_string(e.id) + "   " + e.name);
    return lines;
}

void MenuCapture::Load(const std::vector<std::uint8_t>& ids) {
    if (ids.empty()) return;
    s_.dispatch.DetachFilter();
    currentItem_ = nullptr;
    s_.items.clear();
    s_.errors.clear();
    for (const std::uint8_t id : ids) {
        currentNode_ = id;
        SetStatus("Getting menu file(s) for ID:" + std::to_string(id));
        {
            CANprocess download(s_.link, s_.dispatch, s_.buffer, id, kDownloadMenuList);
            if (download.WaitFor() != kTransferDone) {
                s_.user.AddEvent(kEventError, id, "No menu list");
            } else if (const MenuParseResult r = ParseMenuFile(s_.buffer, id, s_.devices, s_.items);
                       r != MenuParseResult::Parsed) {
                s_.user.ShowError(ParseResultText(r));
            }
        }
        {
            CANprocess download(s_.link, s_.dispatch, s_.buffer, id, kDownloadErrorList);
            if (download.WaitFor() != kTransferDone) {
                s_.user.AddEvent(kEventError, id, "No error list");
            } else if (ParseErrorList(s_.buffer, id, s_.errors) == MenuParseResult::Parsed) {
                // A device reports its errors once its list is known.
                s_.link.SendFrame(kWorkbenchPriority, id, kPcNode, kErrorReg, fl::Rtr | fl::R);
            }
        }
    }
    currentNode_ = kNoNode;
}

bool MenuCapture::StartReadAll() {
    if (s_.items.empty()) return false;
    currentItem_ = s_.items.front().get();
    s_.dispatch.ClearRxQueue();
    readIndex_ = 0;
    countdown_ = kCountdownTicks;
    reading_ = true;
    return true;
}

void MenuCapture::ReadTick() {
    const std::size_t count = s_.items.size();
    s_.dispatch.canMsg.TryTake();
    s_.dispatch.rxQueue.TakeAll([&](const CanFrame& f) {
        if (readIndex_ < count && AnswerMatches(currentItem_, f, kPcNode)) {
            ++readIndex_;
            countdown_ = kCountdownTicks;
            SetStatus("Records received:" + std::to_string(readIndex_));
        }
    });
    // Group headers have no value, and items someone listens to arrive anyway.
    while (readIndex_ < count &&
           (s_.items[readIndex_]->regId > 127 || s_.items[readIndex_]->requestCount.load() > 0)) {
        ++readIndex_;
    }
    if (readIndex_ >= count) {
        reading_ = false;
        return;
    }
    MenuItemType& item = *s_.items[readIndex_];
    currentItem_ = &item;
    s_.dispatch.SetReceiveMode(kModeOneItem, &item);
    s_.link.SendFrame(kWorkbenchPriority, item.deviceId, kPcNode, item.regId, fl::Rtr);
    if (--countdown_ <= 0) {
        reading_ = false;
        s_.user.ShowError("Timeout on reading registers");
    }
}

}  // namespace tessaline
