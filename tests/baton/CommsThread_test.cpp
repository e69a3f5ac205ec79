// The upload cycle on its own thread (Start/Stop) against the virtual station, with the test's
// thread placing and taking off the baton as a guard would.
#include "baton/WireLogPort.h"
#include "tests/baton/CycleRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

namespace veltrona::test {
namespace {

using Ms = std::chrono::milliseconds;

// Virtual time, but paced: every virtual millisecond the port waits costs 20 real microseconds.
// Unpaced, the idle cycle would race through hours of virtual time (past midnight, changing the
// date of the clockings) while this thread sleeps, and burn a core doing it.
class PacedPort : public SerialPort {
public:
    PacedPort(SerialPort& inner, VirtualClock& clock) : inner_(inner), clock_(clock) {}
    void open(const std::string& name) override { inner_.open(name); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    void setDtr(bool on) override { inner_.setDtr(on); }
    void setBreak(bool on) override { inner_.setBreak(on); }
    std::size_t write(const std::string& bytes) override { return inner_.write(bytes); }
    std::size_t bytesWaiting() override { return inner_.bytesWaiting(); }
    std::string read(std::size_t n) override { return inner_.read(n); }
    bool waitForBytes(std::uint64_t timeoutMs) override {
        const std::uint64_t before = clock_.tickMs();
        const bool arrived = inner_.waitForBytes(timeoutMs);
        std::this_thread::sleep_for(std::chrono::microseconds(20 * (clock_.tickMs() - before)));
        return arrived;
    }

private:
    SerialPort& inner_;
    VirtualClock& clock_;
};

// The recording host behind a lock, so the test's thread can wait on what the cycle thread shows.
class LockedHost : public CycleHost {
public:
    explicit LockedHost(std::filesystem::path workDir) : inner_(std::move(workDir)) {}

    void SetLed(IndicatorColour c) override {
        call([&] { inner_.SetLed(c); });
    }
    void SetIdLabel(const std::string& t) override {
        call([&] { inner_.SetIdLabel(t); });
    }
    void SetIdLabelColour(IndicatorColour c) override {
        call([&] { inner_.SetIdLabelColour(c); });
    }
    void SetVersionLabel(const std::string& t) override {
        call([&] { inner_.SetVersionLabel(t); });
    }
    void SetDateLabel(const std::string& t, IndicatorColour c) override {
        call([&] { inner_.SetDateLabel(t, c); });
    }
    void SetTimeLabel(const std::string& t, IndicatorColour c) override {
        call([&] { inner_.SetTimeLabel(t, c); });
    }
    void SetClockWarningVisible(bool v) override {
        call([&] { inner_.SetClockWarningVisible(v); });
    }
    void SetNoDataVisible(bool v) override {
        call([&] { inner_.SetNoDataVisible(v); });
    }
    void SetGauge(int p, int m) override {
        call([&] { inner_.SetGauge(p, m); });
    }
    void SetGaugeColour(IndicatorColour c) override {
        call([&] { inner_.SetGaugeColour(c); });
    }
    void SetCaption(const std::string& c) override {
        call([&] { inner_.SetCaption(c); });
    }
    void SetStatusText(const std::string& t) override {
        call([&] { inner_.SetStatusText(t); });
    }
    void Beep() override {
        call([&] { inner_.Beep(); });
    }
    void BringToFront() override {
        call([&] { inner_.BringToFront(); });
    }
    void SetIdDialogNumber(const std::string& t) override {
        call([&] { inner_.SetIdDialogNumber(t); });
    }
    BatonSettings ReadBatonSettings() override {
        std::lock_guard lock(mutex_);
        return inner_.ReadBatonSettings();
    }
    void DoRaw() override {
        call([&] {
            ++doRawThreads_[std::this_thread::get_id()];
            inner_.DoRaw();
        });
    }
    void ClearedWithoutUpload(const std::string& l) override {
        call([&] { inner_.ClearedWithoutUpload(l); });
    }
    void IdButtonRead(const std::string& id) override {
        call([&] { inner_.IdButtonRead(id); });
    }

    // Waits (real time, bounded) until `done` holds for the recorded state.
    bool waitFor(const std::function<bool(const RecordingHost&)>& done, Ms limit = Ms(20000)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return done(inner_); });
    }
    template <class F> auto read(F f) {
        std::lock_guard lock(mutex_);
        return f(inner_);
    }
    // The threads DoRaw ran on, with the number of calls on each.
    std::map<std::thread::id, int> doRawThreads() {
        std::lock_guard lock(mutex_);
        return doRawThreads_;
    }

private:
    template <class F> void call(F f) {
        {
            std::lock_guard lock(mutex_);
            f();
        }
        changed_.notify_all();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    RecordingHost inner_;
    std::map<std::thread::id, int> doRawThreads_;
};

// How often the cycle has come round to looking for a baton (state 5 lights the LED purple).
std::size_t LookingCount(const RecordingHost& h) {
    return static_cast<std::size_t>(
        std::count(h.leds.begin(), h.leds.end(), IndicatorColour::Purple));
}

struct ThreadRig {
    TempWorkDir dir;
    VirtualClock clock{DateTime{2011, 8, 9, 10, 0, 0, 0}};
    VirtualStation station{clock};
    PacedPort paced{station, clock};
    std::ostringstream wire;
    WireLogPort port{paced, clock, wire};
    Trace trace{clock, 1};
    MessageTable messages;
    LockedHost host{dir.path()};
    CycleShared shared;
    FailedPatrolStore failedPatrol;
    std::unique_ptr<TCommsThread> cycle;

    ThreadRig() {
        trace.setWorkDir(dir.path());
        messages.SetDefaultMessages(trace);
        station.setPort(SerialPortDeviceName(1), VirtualPortKind::Cable);
        cycle = std::make_unique<TCommsThread>(CycleContext{port, clock, trace, messages, host,
                                                            shared, failedPatrol, dir.path(), "1"});
    }

    // Stops the cycle and returns how long that took in real time.
    std::int64_t timedStop() {
        const auto t0 = std::chrono::steady_clock::now();
        cycle->Stop();
        return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - t0).count();
    }

    std::vector<std::string> wireLines() const {
        std::vector<std::string> lines;
        std::istringstream in(wire.str());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
};

TEST(CommsThread, UploadOnItsOwnThreadHandsTheDownloadOverOnceAndStopsPromptly) {
    ThreadRig rig;
    rig.cycle->Start();
    ASSERT_TRUE(rig.host.waitFor([](const RecordingHost& h) { return LookingCount(h) >= 1; }))
        << "the cable search never ended";

    const VirtualBaton baton = MakeBaton("Brin0005", {{2, 2}, {0, 3}});
    rig.station.placeBaton(baton);
    ASSERT_TRUE(rig.host.waitFor([](const RecordingHost& h) { return h.doRawCount >= 1; }))
        << "no download was handed over";
    const std::size_t lookedBefore = rig.host.read(LookingCount);

    // The baton is read: take it off and let the cycle come round to looking twice more.
    rig.station.removeBaton();
    ASSERT_TRUE(rig.host.waitFor([&](const RecordingHost& h) {
        return LookingCount(h) >= lookedBefore + 2;
    })) << "the cycle did not notice the baton was taken off";

    const std::int64_t stopMs = rig.timedStop();
    EXPECT_LT(stopMs, 3000) << "Stop must end the thread promptly";

    rig.host.read([&](const RecordingHost& h) {
        EXPECT_EQ(h.doRawCount, 1);
        EXPECT_EQ(h.stored, ExpectedLines(baton, rig.clock.now()));
        EXPECT_EQ(h.idLabel, "Id : Brin0005");
        return 0;
    });
    // DoRaw ran once, on the cycle's thread, not on the one that started it.
    const auto threads = rig.host.doRawThreads();
    ASSERT_EQ(threads.size(), 1u);
    EXPECT_NE(threads.begin()->first, std::this_thread::get_id());
    const VirtualBaton after = rig.station.baton();
    for (const auto& [number, chip] : after.chips)
        EXPECT_EQ(chip.fillLevel, 8) << "chip " << number << " cleared";
    // The thread's last act released the line with DTR on.
    const std::vector<std::string> wire = rig.wireLines();
    ASSERT_FALSE(wire.empty());
    EXPECT_NE(wire.back().find(" DTR 1"), std::string::npos) << wire.back();

    // Stopping again, and destroying a stopped cycle, are harmless.
    EXPECT_LT(rig.timedStop(), 100);
}

TEST(CommsThread, StopInTheMiddleOfADownloadKeepsWhatTheBatonNoLongerHolds) {
    ThreadRig rig;
    // Chip 2 is read and cleared first; chip 0 is long enough to be stopped in.
    const VirtualBaton baton = MakeBaton("Brin0006", {{2, 3}, {0, 2000}});
    rig.station.placeBaton(baton);
    rig.cycle->Start();

    // The fill-level query of chip 0 comes after the clear of chip 2 has been acknowledged.
    const auto t0 = std::chrono::steady_clock::now();
    for (;;) {
        const std::vector<std::string> frames = rig.station.receivedFrames();
        const auto queries = std::count_if(
            frames.begin(), frames.end(), [](const auto& f) { return f.compare(0, 2, "09") == 0; });
        if (queries >= 2)
            break;
        ASSERT_LT(std::chrono::steady_clock::now() - t0, Ms(20000)) << "chip 0 never queried";
        std::this_thread::sleep_for(Ms(1));
    }
    const std::int64_t stopMs = rig.timedStop();
    EXPECT_LT(stopMs, 3000) << "Stop must end the thread promptly, download or not";

    // No synchronised call while stopping; Raw.txt holds chip 2's clockings for the close check
    // to offer, and chip 0 is still on the baton to be read next time.
    EXPECT_EQ(rig.host.read([](const RecordingHost& h) { return h.doRawCount; }), 0);
    const std::vector<std::string> lines = RawUploadFile::InWorkDir(rig.dir.path()).lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "Id : Brin0006");
    EXPECT_NE(lines.back(), "Done") << "not processed yet";
    const std::multiset<std::string> kept(lines.begin() + 1, lines.end());
    EXPECT_EQ(kept, ExpectedLines(MakeBaton("Brin0006", {{2, 3}}), rig.clock.now()));
    const VirtualBaton after = rig.station.baton();
    EXPECT_EQ(after.chips.at(2).fillLevel, 8);
    EXPECT_EQ(after.chips.at(0).fillLevel, baton.chips.at(0).fillLevel);
}

TEST(CommsThread, StopWhileTheCableIsStillSearchedFor) {
    // No port has the cable: the search goes round the port numbers until it is stopped.
    ThreadRig rig;
    rig.station.setPort(SerialPortDeviceName(1), VirtualPortKind::LoopBack);
    rig.cycle->Start();
    ASSERT_TRUE(rig.host.waitFor([](const RecordingHost& h) { return h.statusTexts.size() >= 3; }))
        << "the search shows the ports it tries";
    EXPECT_LT(rig.timedStop(), 3000);
    EXPECT_EQ(rig.host.read([](const RecordingHost& h) { return LookingCount(h); }), 0u);
}

} // namespace
} // namespace veltrona::test
