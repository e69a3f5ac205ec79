#include "app/Settings.h"
#include "baton/Frames.h"
#include "tests/baton/CycleRig.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

// A port that hands the parser exactly the bytes a test gives it, in one read, and records what
// the PC does with the line.
class ScriptedPort : public SerialPort {
public:
    explicit ScriptedPort(VirtualClock& clock) : clock_(clock) {}
    void open(const std::string&) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void setDtr(bool on) override { events.push_back(on ? "DTR 1" : "DTR 0"); }
    void setBreak(bool on) override { events.push_back(on ? "BREAK 1" : "BREAK 0"); }
    std::size_t write(const std::string& bytes) override {
        events.push_back("> " + frames::HexDump(bytes));
        written += bytes;
        return bytes.size();
    }
    std::size_t bytesWaiting() override { return pending.size(); }
    std::string read(std::size_t n) override {
        std::string out = pending.substr(0, n);
        pending.erase(0, n);
        return out;
    }
    bool waitForBytes(std::uint64_t timeoutMs) override {
        clock_.advance(timeoutMs);
        return !pending.empty();
    }

    std::string pending;
    std::string written;
    std::vector<std::string> events;

private:
    VirtualClock& clock_;
    bool open_ = true;
};

std::string B(std::initializer_list<int> v) {
    std::string s;
    for (int b : v)
        s.push_back(static_cast<char>(b));
    return s;
}

struct ParserRig {
    TempWorkDir dir;
    VirtualClock clock;
    ScriptedPort port{clock};
    Trace trace{clock, 1};
    MessageTable messages;
    RecordingHost host{dir.path()};
    CycleShared shared;
    FailedPatrolStore failedPatrol;
    TCommsThread cycle{
        CycleContext{port, clock, trace, messages, host, shared, failedPatrol, dir.path(), "1"}};

    ParserRig() {
        trace.setWorkDir(dir.path());
        messages.SetDefaultMessages(trace);
    }
    // Every parser call until the buffer stops changing.
    void parseAll() {
        for (int i = 0; i < 50; ++i)
            cycle.ReceiveFrames();
    }
};

TEST(Parser, HelloBehindTheIdentityEchoWinsAndIsAnsweredOnce) {
    ParserRig rig;
    rig.port.pending = B({0x01, 0x5E, 0x01, 0x0D});
    rig.cycle.ReceiveFrames();
    EXPECT_TRUE(rig.cycle.BatonSeen());
    EXPECT_EQ(rig.cycle.RxInd(), 0);
    rig.parseAll();
    EXPECT_EQ(rig.port.written, frames::HelloAnswer());
}

TEST(Parser, BreakIsReleasedBeforeTheHelloIsAnswered) {
    ParserRig rig;
    rig.cycle.StartCycle();
    rig.cycle.RunPass(); // state 0: DTR on, break on
    ASSERT_EQ(rig.port.events.back(), "BREAK 1");
    rig.port.events.clear();
    rig.port.pending = B({0x01, 0x0D});
    rig.cycle.ReceiveFrames();
    ASSERT_EQ(rig.port.events.size(), 2u);
    EXPECT_EQ(rig.port.events[0], "BREAK 0");
    EXPECT_EQ(rig.port.events[1], "> " + frames::HexDump(frames::HelloAnswer()));
}

TEST(Parser, HighChargeReportPausesOnlyTheWaitForABaton) {
    struct Row {
        int state;
        int level;
        int expected;
    } rows[] = {{10, 103, 20}, {5, 200, 20}, {10, 102, 10}, {200, 200, 200}, {160, 103, 160}};
    for (const Row& r : rows) {
        ParserRig rig;
        rig.cycle.SetStateForTest(r.state);
        rig.port.pending = frames::WithCrc(B({0x28, r.level}));
        rig.cycle.ReceiveFrames();
        EXPECT_EQ(rig.cycle.State(), r.expected) << "state " << r.state << " level " << r.level;
        EXPECT_EQ(rig.cycle.RxInd(), 0) << "state " << r.state << " level " << r.level;
    }
}

TEST(Parser, IdButtonReport) {
    struct Row {
        const char* name;
        std::string bytes;
        std::vector<std::string> reported;
        int beeps;
        int heldAfter;
    } rows[] = {
        {"new button", frames::WithCrc(B({0x24, 0x00, 0xA1, 0xB2})), {"00A1B2"}, 1, 0},
        {"test button 000000", frames::WithCrc(B({0x24, 0x00, 0x00, 0x00})), {}, 1, 0},
        {"bad check byte", B({0x24, 0x00, 0xA1, 0xB2, 0x00}), {}, 0, 5},
    };
    for (const Row& r : rows) {
        ParserRig rig;
        rig.port.pending = r.bytes;
        rig.parseAll();
        EXPECT_EQ(rig.host.idButtons, r.reported) << r.name;
        EXPECT_EQ(rig.host.beeps, r.beeps) << r.name;
        EXPECT_EQ(rig.cycle.RxInd(), r.heldAfter) << r.name;
    }
}

TEST(Parser, UnrecognisedByteWithNothingAwaitedClearsAndSendsNothing) {
    ParserRig rig;
    rig.port.pending = B({0x77, 0x01, 0x02});
    rig.cycle.ReceiveFrames();
    EXPECT_EQ(rig.cycle.RxInd(), 0);
    EXPECT_EQ(rig.port.written, "");
}

TEST(Parser, FillerBytesAreDropped) {
    struct Row {
        const char* name;
        std::string bytes;
        std::string left;
    } rows[] = {
        {"F0 run", B({0xF0, 0xF0, 0xF0, 0x22}), B({0x22})},
        {"FE", B({0xFE, 0x22}), B({0x22})},
        {"00", B({0x00, 0x22}), B({0x22})},
        {"echo of 55 answer", B({0x55, 0x55, 0x55}), B({0x55, 0x55})},
        {"reset 81", B({0x81, 0x01, 0x02}), ""},
    };
    for (const Row& r : rows) {
        ParserRig rig;
        rig.port.pending = r.bytes;
        rig.cycle.ReceiveFrames();
        EXPECT_EQ(frames::HexDump(rig.cycle.RxBytes()), frames::HexDump(r.left)) << r.name;
    }
}

// ---------------------------------------------------------------- cable search

struct SearchRow {
    const char* name;
    std::string commPort;
    std::map<int, VirtualPortKind> ports;
    std::string strayBeforeProbe;
    int found;
};

TEST(CableSearch, FindsThePortWhoseEchoFollowsDtr) {
    const SearchRow rows[] = {
        {"CommPort 0 starts at 1", "0", {{1, VirtualPortKind::Cable}}, "", 1},
        {"not a number reads as 0", "abc", {{1, VirtualPortKind::Cable}}, "", 1},
        {"no echo and loop-back plug skipped",
         "1",
         {{1, VirtualPortKind::Nothing},
          {2, VirtualPortKind::LoopBack},
          {4, VirtualPortKind::Cable}},
         "",
         4},
        {"stray byte in front of the echo", "3", {{3, VirtualPortKind::Cable}}, "\x42", 3},
        {"after 255 the search goes on with 1", "255", {{1, VirtualPortKind::Cable}}, "", 1},
    };
    for (const SearchRow& r : rows) {
        CycleRig rig(r.commPort);
        rig.station.setPort(SerialPortDeviceName(1), VirtualPortKind::Absent);
        for (const auto& [n, kind] : r.ports)
            rig.station.setPort(SerialPortDeviceName(n), kind);
        if (!r.strayBeforeProbe.empty())
            rig.station.addFault({StationFault::Kind::StrayBytes, 'E', 1, r.strayBeforeProbe, 1});
        ASSERT_TRUE(rig.cycle->CableSearch()) << r.name;
        EXPECT_EQ(rig.cycle->PortNumber(), r.found) << r.name;
        EXPECT_TRUE(rig.station.isOpen()) << r.name;

        // The settings file learns the port only when it differs from CommPort.
        const std::vector<std::string> ini = ReadSettingsLines(rig.dir.path());
        if (PortNumberOf(r.commPort) == r.found)
            EXPECT_TRUE(ini.empty()) << r.name;
        else
            EXPECT_EQ(ini, std::vector<std::string>{"CommPort=" + std::to_string(r.found)})
                << r.name;
    }
}

} // namespace
} // namespace veltrona::test
