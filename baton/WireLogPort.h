#pragma once

#include "platform/SerialPort.h"

#include <cstdint>
#include <iosfwd>
#include <mutex>

namespace veltrona {

class Clock;

// A serial port decorator that records the line as a sniffer would, one event a line:
// milliseconds since the log started, then "> " and the bytes the PC wrote or "< " and the bytes
// it read (upper-case hex separated by spaces, one line per call), or "DTR 1", "DTR 0",
// "BREAK 1", "BREAK 0", "OPEN name", "CLOSE". Works over the real port and the virtual station.
class WireLogPort : public SerialPort {
public:
    WireLogPort(SerialPort& inner, const Clock& clock, std::ostream& out);

    void open(const std::string& name) override;
    void close() override;
    bool isOpen() const override { return inner_.isOpen(); }
    void setDtr(bool on) override;
    void setBreak(bool on) override;
    std::size_t write(const std::string& bytes) override;
    std::size_t bytesWaiting() override { return inner_.bytesWaiting(); }
    std::string read(std::size_t n) override;
    bool waitForBytes(std::uint64_t timeoutMs) override { return inner_.waitForBytes(timeoutMs); }

private:
    void log(const std::string& event);

    SerialPort& inner_;
    const Clock& clock_;
    std::ostream& out_;
    std::uint64_t start_;
    std::mutex mutex_;
};

// "01 5E" for the bytes 01 5E.
std::string WireHex(const std::string& bytes);

} // namespace veltrona
