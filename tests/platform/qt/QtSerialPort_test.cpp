// The real serial port on a pseudo-terminal pair: QtSerialPort opens the slave by name, the test
// plays the station on the master side.
#include "platform/qt/QtSerialPort.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>

namespace veltrona {
namespace {

using Ms = std::chrono::milliseconds;

std::int64_t msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - t0).count();
}

// Every byte value once: the line must pass them unchanged (no CR/LF translation, no stripped
// eighth bit, no XON/XOFF taken as flow control, no echo).
std::string AllByteValues() {
    std::string s;
    for (int b = 0; b < 256; ++b)
        s.push_back(static_cast<char>(b));
    return s;
}

class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0)
            return;
        const char* name = nullptr;
        if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
            (name = ::ptsname(master_)) == nullptr) {
            closeMaster();
            return;
        }
        slaveName_ = name;
    }
    ~Pty() { closeMaster(); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    const std::string& slaveName() const { return slaveName_; }

    void write(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
            ASSERT_GT(n, 0) << "write to the pty master failed";
            done += static_cast<std::size_t>(n);
        }
    }

    // Reads until `want` bytes have come or `timeoutMs` has passed.
    std::string read(std::size_t want, int timeoutMs) const {
        std::string got;
        const auto t0 = std::chrono::steady_clock::now();
        while (got.size() < want) {
            const std::int64_t left = timeoutMs - msSince(t0);
            if (left <= 0)
                break;
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left)) <= 0 || (p.revents & POLLIN) == 0)
                break;
            char buf[512];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<std::size_t>(n));
        }
        return got;
    }

    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    int master_ = -1;
    std::string slaveName_;
};

// Collects `want` bytes from the port the way the upload cycle does: wait, count, read.
std::string ReadFromPort(QtSerialPort& port, std::size_t want, int timeoutMs) {
    std::string got;
    const auto t0 = std::chrono::steady_clock::now();
    while (got.size() < want && msSince(t0) < timeoutMs) {
        if (port.waitForBytes(100))
            got += port.read(port.bytesWaiting());
    }
    return got;
}

class QtSerialPortPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pty.ok())
            GTEST_SKIP() << "no pseudo-terminal can be made here";
        port.open(pty.slaveName());
        ASSERT_TRUE(port.isOpen());
    }

    Pty pty;
    QtSerialPort port;
};

TEST_F(QtSerialPortPty, EveryByteValueCrossesBothWaysUnchanged) {
    const std::string bytes = AllByteValues();

    EXPECT_EQ(port.write(bytes), bytes.size());
    EXPECT_EQ(pty.read(bytes.size(), 3000), bytes) << "PC to station";

    pty.write(bytes);
    EXPECT_EQ(ReadFromPort(port, bytes.size(), 3000), bytes) << "station to PC";
    // Nothing comes back to the station: the slave side does not echo.
    EXPECT_EQ(pty.read(1, 200), "");
}

TEST_F(QtSerialPortPty, ReadTakesAtMostWhatIsAskedAndLeavesTheRest) {
    pty.write("\x02\x16\x27\x42\x72");
    ASSERT_TRUE(port.waitForBytes(3000));
    // The bytes of one write may reach the port in pieces: wait until all five are counted.
    const auto t0 = std::chrono::steady_clock::now();
    while (port.bytesWaiting() < 5 && msSince(t0) < 3000)
        port.waitForBytes(50);
    ASSERT_EQ(port.bytesWaiting(), 5u);
    EXPECT_EQ(port.read(2), "\x02\x16");
    EXPECT_EQ(port.bytesWaiting(), 3u);
    EXPECT_EQ(port.read(10), "\x27\x42\x72");
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_EQ(port.read(10), "");
}

TEST_F(QtSerialPortPty, WaitForBytesReturnsWhenBytesArrive) {
    // Bytes already in the driver when the wait starts: no wait at all.
    pty.write("\x01\x0D");
    std::this_thread::sleep_for(Ms(100));
    auto t0 = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.waitForBytes(5000));
    EXPECT_LT(msSince(t0), 1000);
    EXPECT_EQ(ReadFromPort(port, 2, 3000), "\x01\x0D");

    // Bytes that come during the wait end it well before its timeout.
    std::thread station([&] {
        std::this_thread::sleep_for(Ms(100));
        pty.write("\x55");
    });
    t0 = std::chrono::steady_clock::now();
    const bool arrived = port.waitForBytes(5000);
    const std::int64_t waited = msSince(t0);
    station.join();
    EXPECT_TRUE(arrived);
    EXPECT_LT(waited, 4000);
    EXPECT_EQ(port.read(1), "\x55");
}

TEST_F(QtSerialPortPty, WaitForBytesTimesOutWithoutBytes) {
    // Open and silent, then closed: both wait out the time (the cycle relies on that not to spin)
    // and neither blocks past it.
    for (const bool open : {true, false}) {
        if (!open)
            port.close();
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(port.waitForBytes(150)) << (open ? "open" : "closed");
        const std::int64_t waited = msSince(t0);
        EXPECT_GE(waited, 140) << (open ? "open" : "closed");
        EXPECT_LT(waited, 2000) << (open ? "open" : "closed");
    }
}

TEST_F(QtSerialPortPty, ClosedPortWritesAndReadsNothing) {
    port.close();
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.write("\x01\x5E"), 0u);
    EXPECT_EQ(port.bytesWaiting(), 0u);
    EXPECT_EQ(port.read(4), "");
    EXPECT_EQ(pty.read(1, 100), "");

    // Opened again by name, it works as before.
    port.open(pty.slaveName());
    EXPECT_EQ(port.write("\x01\x5E"), 2u);
    EXPECT_EQ(pty.read(2, 3000), "\x01\x5E");
}

TEST_F(QtSerialPortPty, ControlLinesAPtyCannotSwitchLeaveTheLineUsable) {
    // A pty has no break condition and no modem lines: DTR fails there, and the failure must be
    // a SerialError (the cycle catches that one), not a silent success or a lost port.
    port.setBreak(true);
    port.setBreak(false);
    for (const bool on : {true, false}) {
        try {
            port.setDtr(on);
        } catch (const SerialError&) {
        }
        EXPECT_TRUE(port.isOpen()) << "DTR " << on;
    }
    EXPECT_EQ(port.write("Emty"), 4u);
    EXPECT_EQ(pty.read(4, 3000), "Emty");
    pty.write("Emty");
    EXPECT_EQ(ReadFromPort(port, 4, 3000), "Emty");
}

TEST_F(QtSerialPortPty, WaitOnAVanishedDeviceStillWaitsOutTheTime) {
    // The far end hangs up, as a USB adapter pulled out does: every wait fails at once, and the
    // cycle, which waits in a loop until its deadline, would spin a core unless the port waits.
    pty.closeMaster();
    for (int round = 1; round <= 3; ++round) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_FALSE(port.waitForBytes(150)) << "round " << round;
        const std::int64_t waited = msSince(t0);
        EXPECT_GE(waited, 140) << "round " << round;
        EXPECT_LT(waited, 2000) << "round " << round;
    }
}

TEST(QtSerialPort, OpeningAMissingDeviceThrowsSerialError) {
    QtSerialPort port;
    EXPECT_THROW(port.open("/dev/veltrona-no-such-tty"), SerialError);
    EXPECT_FALSE(port.isOpen());
    EXPECT_THROW(port.setDtr(true), SerialError);
}

} // namespace
} // namespace veltrona
