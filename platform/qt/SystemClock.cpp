#include "platform/qt/SystemClock.h"

#include <QDateTime>
#include <QThread>
#include <chrono>

namespace veltrona {

std::uint64_t SystemClock::tickMs() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DateTime SystemClock::now() const {
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime tm = t.time();
    return DateTime{d.year(), d.month(), d.day(), tm.hour(), tm.minute(), tm.second(), tm.msec()};
}

void SystemClock::sleepMs(std::uint64_t ms) {
    QThread::msleep(static_cast<unsigned long>(ms));
}

} // namespace veltrona
