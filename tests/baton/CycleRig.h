#pragma once

// A complete upload link under virtual time: the cycle, the virtual station behind port 1, and a
// host that records what the main window would show and stores every download it is handed.

#include "app/MessageTable.h"
#include "app/Trace.h"
#include "baton/CycleHost.h"
#include "baton/CycleShared.h"
#include "baton/RawUploadFile.h"
#include "baton/uThread.h"
#include "platform/SerialPort.h"
#include "platform/virtual/VirtualClock.h"
#include "platform/virtual/VirtualStation.h"
#include "sites/FailedPatrolProgramme.h"
#include "tests/support/TempWorkDir.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace veltrona::test {

class RecordingHost : public CycleHost {
public:
    explicit RecordingHost(std::filesystem::path workDir) : workDir_(std::move(workDir)) {}

    void SetLed(IndicatorColour c) override { leds.push_back(c); }
    void SetIdLabel(const std::string& t) override { idLabel = t; }
    void SetIdLabelColour(IndicatorColour c) override { idLabelColour = c; }
    void SetVersionLabel(const std::string& t) override { versionLabel = t; }
    void SetDateLabel(const std::string& t, IndicatorColour c) override {
        dateLabel = t;
        dateColour = c;
    }
    void SetTimeLabel(const std::string& t, IndicatorColour c) override {
        timeLabel = t;
        timeColour = c;
    }
    void SetClockWarningVisible(bool v) override { clockWarning = v; }
    void SetNoDataVisible(bool v) override { noData = v; }
    void SetGauge(int, int) override {}
    void SetGaugeColour(IndicatorColour) override {}
    void SetCaption(const std::string& c) override { caption = c; }
    void SetStatusText(const std::string& t) override { statusTexts.push_back(t); }
    void Beep() override { ++beeps; }
    void BringToFront() override {}
    void SetIdDialogNumber(const std::string& t) override { idDialogNumber = t; }
    BatonSettings ReadBatonSettings() override { return settings; }
    // Stores the clockings of Raw.txt and marks it processed, as the processing does.
    void DoRaw() override {
        ++doRawCount;
        const RawUploadFile raw = RawUploadFile::InWorkDir(workDir_);
        const std::vector<std::string> lines = raw.lines();
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i] != "Done")
                stored.insert(lines[i]);
        }
        raw.appendDone();
    }
    void ClearedWithoutUpload(const std::string& label) override {
        clearedWithoutUpload.push_back(label);
    }
    void IdButtonRead(const std::string& id) override { idButtons.push_back(id); }

    BatonSettings settings;
    std::vector<IndicatorColour> leds;
    std::string idLabel, versionLabel, dateLabel, timeLabel, caption, idDialogNumber;
    IndicatorColour idLabelColour = IndicatorColour::WindowText;
    IndicatorColour dateColour = IndicatorColour::WindowText;
    IndicatorColour timeColour = IndicatorColour::WindowText;
    bool clockWarning = false;
    bool noData = false;
    std::vector<std::string> statusTexts;
    int beeps = 0;
    int doRawCount = 0;
    std::multiset<std::string> stored;
    std::vector<std::string> clearedWithoutUpload;
    std::vector<std::string> idButtons;

private:
    std::filesystem::path workDir_;
};

// A data block of a clocking: Id 00 A1 nn, 9 August, hh:mm in BCD.
inline std::array<std::uint8_t, 8> ClockingBlock(int chip, int k) {
    const int minute = k % 60;
    return {0x00,
            0xA1,
            static_cast<std::uint8_t>(chip * 16 + (k % 16)),
            0x08,
            0x09,
            static_cast<std::uint8_t>(0x10 + (k / 60) % 10),
            static_cast<std::uint8_t>((minute / 10) * 16 + minute % 10),
            0x00};
}

// A baton whose chips hold the given numbers of clockings (chip number -> clockings).
inline VirtualBaton MakeBaton(const std::string& identity, const std::map<int, int>& clockings) {
    VirtualBaton b;
    b.identity = identity;
    for (const auto& [number, count] : clockings) {
        VirtualChip& c = b.chips[number];
        for (int k = 1; k <= count; ++k)
            c.blocks.push_back(ClockingBlock(number, k));
        c.fillLevel = 8 * (count + 1);
    }
    return b;
}

// The Raw.txt lines the baton's stored clockings give on the rig's date.
inline std::multiset<std::string> ExpectedLines(const VirtualBaton& b, const DateTime& today) {
    std::multiset<std::string> out;
    for (const auto& [number, chip] : b.chips) {
        int pkt = 1;
        for (const auto& block : chip.storedBlocks())
            out.insert(ClockingLine(block, ++pkt, today));
    }
    return out;
}

struct CycleRig {
    TempWorkDir dir;
    VirtualClock clock{DateTime{2011, 8, 9, 10, 0, 0, 0}};
    VirtualStation station{clock};
    Trace trace{clock, 1};
    MessageTable messages;
    RecordingHost host{dir.path()};
    CycleShared shared;
    FailedPatrolStore failedPatrol;
    std::unique_ptr<TCommsThread> cycle;

    explicit CycleRig(std::string commPort = "1") {
        trace.setWorkDir(dir.path());
        messages.SetDefaultMessages(trace);
        station.setPort(SerialPortDeviceName(1), VirtualPortKind::Cable);
        cycle = std::make_unique<TCommsThread>(CycleContext{station, clock, trace, messages, host,
                                                            shared, failedPatrol, dir.path(),
                                                            std::move(commPort)});
    }

    // Cable search and the cycle's start.
    bool start() {
        if (!cycle->CableSearch())
            return false;
        cycle->StartCycle();
        return true;
    }

    // Runs passes until `done` holds or `maxMs` of virtual time have passed.
    bool runUntil(const std::function<bool()>& done, std::uint64_t maxMs = 120000) {
        const std::uint64_t end = clock.tickMs() + maxMs;
        while (clock.tickMs() < end) {
            cycle->RunPass();
            if (done())
                return true;
        }
        return false;
    }

    // Until the baton's clock is being polled: the baton has been read and may go.
    bool runUntilPolling(std::uint64_t maxMs = 120000) {
        return runUntil([&] { return cycle->PollingClock(); }, maxMs);
    }
    // Until the cycle looks for a baton again.
    bool runUntilLooking(std::uint64_t maxMs = 120000) {
        return runUntil([&] { return cycle->State() == 10 && !cycle->BatonSeen(); }, maxMs);
    }

    // The command frames the station received with this code, as hex.
    std::vector<std::string> framesOf(std::uint8_t code) const {
        std::vector<std::string> out;
        static const char digits[] = "0123456789ABCDEF";
        const std::string prefix{digits[code >> 4], digits[code & 0x0F]};
        for (const std::string& f : station.receivedFrames()) {
            if (f.compare(0, 2, prefix) == 0)
                out.push_back(f);
        }
        return out;
    }
};

} // namespace veltrona::test
