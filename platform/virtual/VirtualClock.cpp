#include "platform/virtual/VirtualClock.h"

namespace veltrona {

DateTime VirtualClock::now() const {
    std::lock_guard lock(mutex_);
    const std::uint64_t elapsed = tick_.load() - startTick_;
    const std::uint64_t totalMs =
        static_cast<std::uint64_t>(start_.millisecond) +
        1000ULL * (static_cast<std::uint64_t>(start_.second) +
                   60ULL * (static_cast<std::uint64_t>(start_.minute) +
                            60ULL * static_cast<std::uint64_t>(start_.hour))) +
        elapsed;
    const std::uint64_t dayMs = 86400000ULL;
    DateTime r = addDays(start_, static_cast<int>(totalMs / dayMs));
    std::uint64_t rest = totalMs % dayMs;
    r.hour = static_cast<int>(rest / 3600000ULL);
    rest %= 3600000ULL;
    r.minute = static_cast<int>(rest / 60000ULL);
    rest %= 60000ULL;
    r.second = static_cast<int>(rest / 1000ULL);
    r.millisecond = static_cast<int>(rest % 1000ULL);
    return r;
}

void VirtualClock::setNow(const DateTime& dt) {
    std::lock_guard lock(mutex_);
    start_ = dt;
    startTick_ = tick_.load();
}

} // namespace veltrona
