#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace veltrona {

// A serial port failed to open or to switch a control line.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The serial line to the upload station. Bytes are single bytes in a std::string. An instance is
// used by one thread only (the upload cycle's); the real port is created on that thread.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the port by device name at 9600 baud, 8 data bits, no parity, 2 stop bits, no
    // handshake, RTS off, DTR off. Throws SerialError when the port cannot be opened.
    virtual void open(const std::string& name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // DTR on (asserted) or off. Throws SerialError when the line cannot be switched.
    virtual void setDtr(bool on) = 0;
    // Holds the transmit line in the break condition (on) or releases it.
    virtual void setBreak(bool on) = 0;
    // Writes the bytes; returns how many were accepted.
    virtual std::size_t write(const std::string& bytes) = 0;
    // Bytes waiting in the input queue.
    virtual std::size_t bytesWaiting() = 0;
    // Reads up to n waiting bytes (fewer when fewer are waiting).
    virtual std::string read(std::size_t n) = 0;
    // Blocks until at least one byte is waiting or `timeoutMs` milliseconds have passed, whichever
    // comes first; true when bytes are waiting. Never spins: an idle line costs no CPU. On a
    // closed port it simply waits out the time.
    virtual bool waitForBytes(std::uint64_t timeoutMs) = 0;
};

// The device name of port number n (the CommPort setting).
//   Windows: "COM" + n.
//   Linux:   1..64   -> /dev/ttyUSB0 .. /dev/ttyUSB63  (USB serial adapters)
//            65..96  -> /dev/ttyACM0 .. /dev/ttyACM31  (USB modem-class adapters)
//            97..128 -> /dev/ttyS0   .. /dev/ttyS31    (built-in UARTs)
//            any other number -> "COM" + n, which names no device there, so a search passes it.
inline std::string SerialPortDeviceName(int n) {
#ifdef _WIN32
    return "COM" + std::to_string(n);
#else
    if (n >= 1 && n <= 64)
        return "/dev/ttyUSB" + std::to_string(n - 1);
    if (n >= 65 && n <= 96)
        return "/dev/ttyACM" + std::to_string(n - 65);
    if (n >= 97 && n <= 128)
        return "/dev/ttyS" + std::to_string(n - 97);
    return "COM" + std::to_string(n);
#endif
}

} // namespace veltrona
