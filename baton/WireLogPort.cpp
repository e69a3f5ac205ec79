#include "baton/WireLogPort.h"

#include "platform/Clock.h"

#include <ostream>

namespace veltrona {

WireLogPort::WireLogPort(SerialPort& inner, const Clock& clock, std::ostream& out)
    : inner_(inner), clock_(clock), out_(out), start_(clock.tickMs()) {}

std::string WireHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (!s.empty())
            s.push_back(' ');
        s.push_back(digits[b >> 4]);
        s.push_back(digits[b & 0x0F]);
    }
    return s;
}

void WireLogPort::log(const std::string& event) {
    std::lock_guard lock(mutex_);
    out_ << (clock_.tickMs() - start_) << ' ' << event << '\n';
    out_.flush();
}

void WireLogPort::open(const std::string& name) {
    inner_.open(name); // a failed open is not an event on any line
    log("OPEN " + name);
}

void WireLogPort::close() {
    const bool wasOpen = inner_.isOpen();
    inner_.close();
    if (wasOpen)
        log("CLOSE");
}

void WireLogPort::setDtr(bool on) {
    inner_.setDtr(on);
    log(on ? "DTR 1" : "DTR 0");
}

void WireLogPort::setBreak(bool on) {
    inner_.setBreak(on);
    log(on ? "BREAK 1" : "BREAK 0");
}

std::size_t WireLogPort::write(const std::string& bytes) {
    const std::size_t n = inner_.write(bytes);
    if (n > 0)
        log("> " + WireHex(bytes.substr(0, n)));
    return n;
}

std::string WireLogPort::read(std::size_t n) {
    std::string bytes = inner_.read(n);
    if (!bytes.empty())
        log("< " + WireHex(bytes));
    return bytes;
}

} // namespace veltrona
