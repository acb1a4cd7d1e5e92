#include "corvane_fixture.h"

#include <unistd.h>

#include <cstdlib>

#include "adapter_codec.h"

namespace tessaline::testing {

EventLog& EventLog::Instance() {
    static EventLog log;
    return log;
}

void EventLog::Callback(UcanHandle handle, std::uint8_t event) { Instance().Record(handle, event); }

void EventLog::Record(UcanHandle handle, std::uint8_t event) {
    std::unique_lock lock(lock_);
    events_.push_back({handle, event, std::this_thread::get_id(), gettid()});
    if (holdNext_) {
        holdNext_ = false;
        held_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !held_; });
    }
    changed_.notify_all();
}

void EventLog::Reset() {
    std::lock_guard lock(lock_);
    events_.clear();
    holdNext_ = false;
    held_ = false;
}

std::vector<DriverEvent> EventLog::Events() const {
    std::lock_guard lock(lock_);
    return events_;
}

std::size_t EventLog::Count() const {
    std::lock_guard lock(lock_);
    return events_.size();
}

bool EventLog::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, timeout, [&] { return events_.size() >= count; });
}

void EventLog::HoldNext() {
    std::lock_guard lock(lock_);
    holdNext_ = true;
}

bool EventLog::WaitUntilHeld(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, timeout, [&] { return held_; });
}

void EventLog::Release() {
    {
        std::lock_guard lock(lock_);
        held_ = false;
    }
    changed_.notify_all();
}

const DriverEntryPoints& CorvaneTest::Corvane() {
    static const DriverEntryPoints entry = [] {
        const auto loaded = LoadDriver(ProgramDirectory(), 2);
        if (!loaded) {
            ADD_FAILURE() << "libcorvane.so does not load from " << ProgramDirectory();
            std::abort();
        }
        return *loaded;
    }();
    return entry;
}

void CorvaneTest::SetUp() { EventLog::Instance().Reset(); }

void CorvaneTest::TearDown() {
    EventLog::Instance().Release();
    driver.deinitCan(0);
    driver.deinitHardware(0);
}

void CorvaneTest::WriteIni(const std::string& moreLines) {
    dir.WriteFile("CORVANE.INI", "[init]\nport=" + adapter.PortPath() + "\n" + moreLines);
}

void CorvaneTest::Connect(const std::string& moreIniLines) {
    WriteIni(moreIniLines);
    UcanHandle handle = 0;
    ASSERT_EQ(driver.initHardware(&handle, UCAN_ANY_MODULE, &EventLog::Callback), UCAN_OK);
    ASSERT_EQ(driver.initCan(handle, 0x00, 0x14, 0xFFFFFFFF, 0), UCAN_OK);
    ASSERT_EQ(adapter.Receive(1), Bytes{ucan::kEnd});
}

}  // namespace tessaline::testing
