#pragma once

#include "platform/DateTime.h"

#include <cstdint>

namespace veltrona {

// Time as the system sees it: a monotonic millisecond tick (64 bits: a station PC runs for months)
// and the local calendar time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::uint64_t tickMs() const = 0;
    virtual DateTime now() const = 0;
    // Blocks the calling thread for about `ms` milliseconds (a virtual clock advances instead).
    virtual void sleepMs(std::uint64_t ms) = 0;
};

} // namespace veltrona
