#pragma once

#include "platform/Clock.h"
#include "platform/SerialPort.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

class VirtualClock;

// One memory chip of a virtual baton. blocks[0] is the header block; the fill level says how
// many bytes count as stored (8 = empty).
struct VirtualChip {
    std::vector<std::array<std::uint8_t, 8>> blocks{
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    int fillLevel = 8;
    bool usable = true; // false: the fill level reads 80 00 (no usable chip)

    // The clocking blocks the fill level covers (blocks 1 .. fill/8 - 1).
    std::vector<std::array<std::uint8_t, 8>> storedBlocks() const;
};

struct VirtualBaton {
    enum class ClockKind { Bcd, SecondsCounter };

    std::string identity = "Brin0001"; // eight characters, as sent in the identity reply
    std::array<std::uint8_t, 2> version{0x16, 0x27}; // version bytes 1 and 2 of the reply
    ClockKind clockKind = ClockKind::Bcd;
    bool clockUnset = false;             // the BCD clock reads day 3F, month 1F, FF FF FF
    std::int64_t clockOffsetSeconds = 0; // baton time minus PC time
    std::uint8_t delayByte = 0;          // byte 9 of the BCD clock reply
    // Chips by number (0, 2, ... 14). A chip that is not listed reads as empty.
    std::map<int, VirtualChip> chips;
};

// A fault the station (or its cable) shows once, at the `occurrence`-th (from 1) command frame
// whose code is `command`.
struct StationFault {
    enum class Kind {
        StrayBytes,     // `bytes` reach the PC just before the echo of that write (matched on the
                        // first byte of a write call, so "Emty" probes match with 'E')
        WrongCheckByte, // the reply's last byte is inverted
        DropBytes,      // the reply loses its last `count` bytes
        NoAnswer,       // the frame is lost: not executed, not answered
        Refuse,         // not executed; answered with a negative ack (status 0)
        BatonOff        // the baton is taken off as the frame arrives: not executed, not answered
    };
    Kind kind = Kind::NoAnswer;
    std::uint8_t command = 0;
    int occurrence = 1;
    std::string bytes;
    int count = 1;
};

// What a port name leads to.
enum class VirtualPortKind {
    Absent,   // opening fails
    Nothing,  // opens; nothing attached
    LoopBack, // a plug that echoes every byte whatever DTR says
    Cable     // the upload cable: echoes while DTR is on; the station is behind it
};

// An in-process serial port that behaves as the upload station with its cable and a baton.
// Bytes travel with the line's timing (11 bit times a byte at 9600 baud, each direction).
// With a VirtualClock, waits advance virtual time, so a whole upload runs in milliseconds; with
// no clock (real time) waits sleep until the bytes are due, for benchmarks and demos.
// Thread-safe: the cycle may run on its own thread while another thread places the baton.
class VirtualStation : public SerialPort {
public:
    // Virtual time on `clock`.
    explicit VirtualStation(VirtualClock& clock);
    // Real time; `wallClock` gives the PC's local time that the baton's clock is set against.
    explicit VirtualStation(const Clock& wallClock);

    // The port names that exist and what is behind them; every other name is absent.
    void setPort(const std::string& name, VirtualPortKind kind);
    // Nanoseconds a byte takes on the line (0: bytes arrive at once).
    void setByteTimeNs(std::uint64_t ns);
    // Station turnaround between a command's last byte and its reply's first.
    void setReplyLatencyNs(std::uint64_t ns);

    void placeBaton(VirtualBaton baton);
    void removeBaton();
    bool batonPresent() const;
    // A copy of the baton as it is now (the one on the station, or the last one taken off).
    VirtualBaton baton() const;
    void addFault(StationFault fault);
    // The station sends these bytes now (charge reports, status frames, noise).
    void inject(const std::string& bytes);
    // An Id button touched to the station: frame 24 with its three bytes (six hex digits).
    void touchIdButton(const std::string& sixHex);

    // Command frames the station received, each as upper-case hex bytes without spaces.
    std::vector<std::string> receivedFrames() const;
    // Bytes the PC wrote while its break held the line (they never arrived).
    int bytesLostInBreak() const;
    int helloCount() const;

    // SerialPort
    void open(const std::string& name) override;
    void close() override;
    bool isOpen() const override;
    void setDtr(bool on) override;
    void setBreak(bool on) override;
    std::size_t write(const std::string& bytes) override;
    std::size_t bytesWaiting() override;
    std::string read(std::size_t n) override;
    bool waitForBytes(std::uint64_t timeoutMs) override;

private:
    struct Arrival {
        std::uint64_t atNs;
        char byte;
    };

    std::uint64_t nowNs() const;
    void deliver(const std::string& bytes, std::uint64_t readyNs);
    void stationByte(std::uint8_t b, std::uint64_t atNs);
    void execute(const std::string& frame, std::uint64_t atNs);
    std::string answer(const std::string& frame);
    std::optional<StationFault> takeFault(std::uint8_t command, bool writeLevel);
    std::size_t dueLocked() const;
    VirtualChip& chip(int number);

    const Clock* wallClock_;
    VirtualClock* clock_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::map<std::string, VirtualPortKind> ports_;
    std::string openName_;
    VirtualPortKind openKind_ = VirtualPortKind::Absent;
    bool dtr_ = false;
    bool break_ = false;
    std::uint64_t byteNs_ = 1145833; // 11 bits at 9600 baud
    std::uint64_t latencyNs_ = 100000;
    std::uint64_t txFreeNs_ = 0;
    std::uint64_t rxFreeNs_ = 0;
    std::deque<Arrival> rx_;

    bool batonOn_ = false;
    VirtualBaton baton_;
    std::string stationBuf_;
    int pointerChip_ = 0;
    int pointerBlock_ = 0;
    std::vector<StationFault> faults_;
    std::map<std::uint8_t, int> frameCounts_;
    std::map<std::uint8_t, int> writeCounts_;
    std::vector<std::string> received_;
    int lostInBreak_ = 0;
    int hellos_ = 0;
};

} // namespace veltrona
