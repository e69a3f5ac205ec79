#pragma once

#include "platform/Clock.h"

#include <atomic>
#include <mutex>

namespace veltrona {

// A clock that moves only when told to (or when someone sleeps on it), so timeouts are tested
// by advancing time, never by waiting.
class VirtualClock : public Clock {
public:
    explicit VirtualClock(DateTime start = DateTime{2011, 8, 9, 10, 0, 0, 0},
                          std::uint64_t startTick = 1000000)
        : tick_(startTick), startTick_(startTick), start_(start) {}

    std::uint64_t tickMs() const override { return tick_.load(); }
    DateTime now() const override;
    void sleepMs(std::uint64_t ms) override { advance(ms); }

    void advance(std::uint64_t ms) { tick_ += ms; }
    // Sets the calendar time shown from now on (the tick goes on unchanged).
    void setNow(const DateTime& dt);

private:
    std::atomic<std::uint64_t> tick_;
    mutable std::mutex mutex_;
    std::uint64_t startTick_;
    DateTime start_;
};

} // namespace veltrona
