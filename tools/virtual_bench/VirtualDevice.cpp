#include "VirtualDevice.h"

#include <algorithm>

#include "BusFrame.h"
#include "app/menus/Rights.h"

namespace tessaline::bench {
namespace {

constexpr BenchTime kErrorReportPeriod{1000};
constexpr std::uint8_t kWritableAtAnyLevel = rights::ServiceWrite | rights::UserWrite | rights::AdvancedWrite;
constexpr std::uint8_t kMaxDeviceAddress = 62;

bool Has(std::uint8_t flags, std::uint8_t bits) { return (flags & bits) == bits; }

std::string NameFromBytes(const std::uint8_t* data, std::size_t count) {
    std::string name(reinterpret_cast<const char*>(data), count);
    const auto end = name.find_last_not_of(std::string(" \0", 2));
    name.erase(end == std::string::npos ? 0 : end + 1);
    return name;
}

double AsDouble(const RegisterValue& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
    if (const auto* f = std::get_if<float>(&value)) return static_cast<double>(*f);
    return 0.0;
}

}  // namespace

bool IsReservedRegister(std::uint8_t number) {
    return number == reg::Name || number == reg::MenuList || number == reg::Errors || number == reg::ErrorList ||
           number == reg::NodeAddress || number == reg::DataFile;
}

VirtualDevice::VirtualDevice(DeviceDescription description, BenchTime now)
    : description_(std::move(description)),
      address_(description_.address),
      name_(description_.name),
      faults_(description_.faults),
      dataFile_(description_.dataFile) {
    for (const MenuEntry& entry : description_.menu) {
        if (!entry.IsGroupHeader()) registers_[entry.reg].entry = &entry;
    }
    PowerCycle(now);
}

void VirtualDevice::ResetRegisters(BenchTime now) {
    for (auto& [number, r] : registers_) {
        const MenuEntry& entry = *r.entry;
        r.value = r.programmed ? *r.programmed : Normalize(entry.type, entry.initial);
        r.listeners.clear();
        r.moving.reset();
        if (entry.generator && entry.generator->kind != Generator::Kind::Constant) {
            const auto seed = static_cast<std::uint32_t>(description_.address) * 256u + number;
            r.moving.emplace(*entry.generator, AsDouble(r.value), seed, now);
        }
    }
}

void VirtualDevice::PowerCycle(BenchTime now) {
    ResetRegisters(now);
    errors_ = description_.initialErrors;
    reportedErrors_ = errors_;
    errorListeners_.clear();
    scheduleCycleStart_ = now;
    scheduleStep_ = 0;
    download_.Abort();
    upload_ = BlockUpload{};
}

std::vector<std::uint8_t> VirtualDevice::MenuRegisters() const {
    std::vector<std::uint8_t> numbers;
    for (const auto& [number, r] : registers_) numbers.push_back(number);
    return numbers;
}

const MenuEntry* VirtualDevice::Entry(std::uint8_t number) const {
    auto it = registers_.find(number);
    return it == registers_.end() ? nullptr : it->second.entry;
}

std::optional<RegisterValue> VirtualDevice::Value(std::uint8_t number, BenchTime now) {
    auto it = registers_.find(number);
    if (it == registers_.end()) return std::nullopt;
    Register& r = it->second;
    if (r.moving) r.value = Clamp(r.entry->type, FromNumber(r.entry->type, r.moving->At(now)), r.entry->min, r.entry->max);
    return r.value;
}

bool VirtualDevice::SetValue(std::uint8_t number, const RegisterValue& value) {
    auto it = registers_.find(number);
    if (it == registers_.end()) return false;
    it->second.moving.reset();
    it->second.value = Normalize(it->second.entry->type, value);
    return true;
}

std::vector<std::uint8_t> VirtualDevice::Listeners(std::uint8_t number) const {
    std::vector<std::uint8_t> askers;
    auto it = registers_.find(number);
    if (it != registers_.end()) {
        for (const auto& [asker, next] : it->second.listeners) askers.push_back(asker);
    }
    return askers;
}

std::vector<std::uint8_t> VirtualDevice::ErrorReportListeners() const {
    std::vector<std::uint8_t> askers;
    for (const auto& [asker, next] : errorListeners_) askers.push_back(asker);
    return askers;
}

void VirtualDevice::Receive(const CanFrame& frame, BenchTime now, std::vector<CanFrame>& out) {
    if (faults_.silent || !FrameIsExtended(frame) || FrameDest(frame) != address_) return;
    const std::uint8_t flags = FrameFlags(frame);
    const std::uint8_t asker = FrameSource(frame);
    if (flags & fl::Rtr) {
        Request(FrameReg(frame), flags, asker, now, out);
    } else {
        DataFrame(frame, asker, now, out);
    }
}

void VirtualDevice::Request(std::uint8_t number, std::uint8_t flags, std::uint8_t asker, BenchTime now,
                            std::vector<CanFrame>& out) {
    const bool start = (flags & fl::R) != 0;
    switch (number) {
    case reg::Name:
        out.push_back(BusFrame(asker, address_, reg::Name, 0, reinterpret_cast<const std::uint8_t*>(name_.data()),
                               name_.size()));
        return;
    case reg::MenuList:
    case reg::ErrorList:
    case reg::DataFile:
        if (start) {
            StartDownload(number, asker, now);
        } else {
            download_.Acknowledge(number, asker, now);
        }
        download_.Advance(address_, now, out);  // without a chunk interval the chunk goes at once
        return;
    case reg::Errors:
        if (start) {
            errorListeners_[asker] = now;  // the first report goes out at once
        } else {
            errorListeners_.erase(asker);
        }
        return;
    default:
        break;
    }
    auto it = registers_.find(number);
    if (it == registers_.end()) return;
    Register& r = it->second;
    SendValue(r, number, asker, now, out);
    if (start) {
        r.listeners[asker] = now + description_.listenPeriod;
    } else {
        r.listeners.erase(asker);  // a single read also ends listening
    }
}

void VirtualDevice::StartDownload(std::uint8_t number, std::uint8_t asker, BenchTime now) {
    Block block;
    if (number == reg::MenuList) {
        if (faults_.noMenuList) return;
        block = BuildMenuBlock(description_.menu);
        if (faults_.badMenuCrc) block[0] = static_cast<std::uint8_t>(block[0] ^ 0xFF);
    } else if (number == reg::ErrorList) {
        if (faults_.noErrorList) return;
        block = BuildErrorBlock(description_.errors);
    } else {
        block = dataFile_;
    }
    download_.Start(number, asker, std::move(block), now, faults_.chunkInterval);
}

void VirtualDevice::DataFrame(const CanFrame& frame, std::uint8_t asker, BenchTime now, std::vector<CanFrame>& out) {
    const std::uint8_t flags = FrameFlags(frame);
    if (!(flags & fl::W)) return;  // values and acknowledgements of others
    const std::uint8_t number = FrameReg(frame);
    const std::size_t count = std::min<std::size_t>(frame.Dlc, 8);
    if (Has(flags, fl::N) && !(flags & fl::Q)) {
        if (number == reg::Name && count > 0) {
            std::string name = NameFromBytes(frame.Data, count);
            if (!name.empty()) name_ = std::move(name);
        } else if (number == reg::NodeAddress && count > 0 && frame.Data[0] <= kMaxDeviceAddress) {
            address_ = frame.Data[0];
        } else if (number == reg::DataFile) {
            const auto outcome = upload_.Take(flags, frame.Data, count, faults_.refuseUpload);
            if (outcome == BlockUpload::Outcome::Accepted) dataFile_ = upload_.Accepted();
            const std::uint8_t ackFlags = outcome == BlockUpload::Outcome::Refused ? fl::R : 0;
            out.push_back(BusFrame(asker, address_, reg::DataFile, ackFlags));
        }
        return;
    }
    if (!(flags & fl::Q)) return;
    auto it = registers_.find(number);
    if (it == registers_.end()) return;
    Write(it->second, frame, (flags & fl::N) != 0);
    SendValue(it->second, number, asker, now, out);
}

void VirtualDevice::Write(Register& r, const CanFrame& frame, bool program) {
    const MenuEntry& entry = *r.entry;
    if (!(entry.rights & kWritableAtAnyLevel)) return;
    const RegisterValue written = DecodeValue(entry.type, frame.Data, std::min<std::size_t>(frame.Dlc, 8));
    r.moving.reset();
    r.value = Clamp(entry.type, written, entry.min, entry.max);
    if (program && (entry.rights & rights::Nonvolatile)) r.programmed = r.value;
}

void VirtualDevice::SendValue(Register& r, std::uint8_t number, std::uint8_t asker, BenchTime now,
                              std::vector<CanFrame>& out) {
    if (r.moving) r.value = Clamp(r.entry->type, FromNumber(r.entry->type, r.moving->At(now)), r.entry->min, r.entry->max);
    std::uint8_t bytes[8];
    const std::size_t size = EncodeValue(r.entry->type, r.value, bytes);
    out.push_back(BusFrame(asker, address_, number, 0, bytes, size));
}

void VirtualDevice::RunErrorSchedule(BenchTime now) {
    const ErrorSchedule& schedule = description_.errorSchedule;
    while (scheduleStep_ < schedule.steps.size()) {
        const ErrorStep& step = schedule.steps[scheduleStep_];
        if (scheduleCycleStart_ + step.at > now) return;
        RaiseErrors(step.raise);
        ClearErrors(step.clear);
        if (++scheduleStep_ == schedule.steps.size() && schedule.period.count() > 0) {
            scheduleStep_ = 0;
            scheduleCycleStart_ += schedule.period;
        }
    }
}

void VirtualDevice::SendErrorReports(BenchTime now, std::vector<CanFrame>& out) {
    const bool changed = errors_ != reportedErrors_;
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(errors_ & 0xFF), static_cast<std::uint8_t>(errors_ >> 8)};
    for (auto& [asker, next] : errorListeners_) {
        if (!changed && next > now) continue;
        out.push_back(BusFrame(asker, address_, reg::Errors, 0, bytes, sizeof bytes));
        next = now + kErrorReportPeriod;
    }
    reportedErrors_ = errors_;
}

void VirtualDevice::Advance(BenchTime now, std::vector<CanFrame>& out) {
    if (faults_.silent) {
        std::vector<CanFrame> unheard;
        Emit(now, unheard);
    } else {
        Emit(now, out);
    }
}

void VirtualDevice::Emit(BenchTime now, std::vector<CanFrame>& out) {
    RunErrorSchedule(now);
    SendErrorReports(now, out);
    for (auto& [number, r] : registers_) {
        for (auto& [asker, next] : r.listeners) {
            if (next > now) continue;
            SendValue(r, number, asker, now, out);
            next += description_.listenPeriod;
            if (next <= now) next = now + description_.listenPeriod;  // late: no burst of stale values
        }
    }
    download_.Advance(address_, now, out);
}

std::optional<BenchTime> VirtualDevice::NextDue() const {
    std::optional<BenchTime> due = download_.NextDue();
    auto consider = [&due](BenchTime t) {
        if (!due || t < *due) due = t;
    };
    const ErrorSchedule& schedule = description_.errorSchedule;
    if (scheduleStep_ < schedule.steps.size()) consider(scheduleCycleStart_ + schedule.steps[scheduleStep_].at);
    for (const auto& [asker, next] : errorListeners_) consider(errors_ != reportedErrors_ ? BenchTime{0} : next);
    for (const auto& [number, r] : registers_) {
        for (const auto& [asker, next] : r.listeners) consider(next);
    }
    return due;
}

}  // namespace tessaline::bench
