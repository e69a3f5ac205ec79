#pragma once

#include "platform/Clock.h"

namespace veltrona {

// The real clock: a monotonic tick that does not wrap and the local time of the machine.
class SystemClock : public Clock {
public:
    std::uint64_t tickMs() const override;
    DateTime now() const override;
    void sleepMs(std::uint64_t ms) override;
};

} // namespace veltrona
