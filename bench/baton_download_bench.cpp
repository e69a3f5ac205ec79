// Download speed against the line's own limit, and the CPU an idle upload cycle costs, with the
// virtual upload station in real time at 9600 baud 8N2 (11 bit times a byte).
#include "app/MessageTable.h"
#include "app/Trace.h"
#include "baton/CycleHost.h"
#include "baton/CycleShared.h"
#include "baton/RawUploadFile.h"
#include "baton/uThread.h"
#include "platform/qt/SystemClock.h"
#include "platform/virtual/VirtualStation.h"
#include "sites/FailedPatrolProgramme.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

using namespace veltrona;

namespace {

std::uint64_t steadyNs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// Times the block read: from the first 0D request to the last read before the chip is cleared.
class TimingPort : public SerialPort {
public:
    explicit TimingPort(SerialPort& inner) : inner_(inner) {}
    void open(const std::string& name) override { inner_.open(name); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    void setDtr(bool on) override { inner_.setDtr(on); }
    void setBreak(bool on) override { inner_.setBreak(on); }
    std::size_t write(const std::string& bytes) override {
        if (bytes == std::string("\x0D\xFD", 2) && firstRequestNs == 0)
            firstRequestNs = steadyNs();
        if (!bytes.empty() && bytes[0] == 0x11 && firstRequestNs != 0 && endNs == 0)
            endNs = lastReadNs;
        return inner_.write(bytes);
    }
    std::size_t bytesWaiting() override { return inner_.bytesWaiting(); }
    std::string read(std::size_t n) override {
        std::string s = inner_.read(n);
        if (!s.empty())
            lastReadNs = steadyNs();
        return s;
    }
    bool waitForBytes(std::uint64_t timeoutMs) override { return inner_.waitForBytes(timeoutMs); }

    std::uint64_t firstRequestNs = 0, lastReadNs = 0, endNs = 0;

private:
    SerialPort& inner_;
};

class QuietHost : public CycleHost {
public:
    explicit QuietHost(std::filesystem::path dir) : dir_(std::move(dir)) {}
    void SetLed(IndicatorColour) override {}
    void SetIdLabel(const std::string&) override {}
    void SetIdLabelColour(IndicatorColour) override {}
    void SetVersionLabel(const std::string&) override {}
    void SetDateLabel(const std::string&, IndicatorColour) override {}
    void SetTimeLabel(const std::string&, IndicatorColour) override {}
    void SetClockWarningVisible(bool) override {}
    void SetNoDataVisible(bool) override {}
    void SetGauge(int, int) override {}
    void SetGaugeColour(IndicatorColour) override {}
    void SetCaption(const std::string&) override {}
    void SetStatusText(const std::string&) override {}
    void Beep() override {}
    void BringToFront() override {}
    void SetIdDialogNumber(const std::string&) override {}
    BatonSettings ReadBatonSettings() override { return {}; }
    void DoRaw() override {
        lines = RawUploadFile::InWorkDir(dir_).lines().size() - 1;
        RawUploadFile::InWorkDir(dir_).appendDone();
    }
    void ClearedWithoutUpload(const std::string&) override {}
    void IdButtonRead(const std::string&) override {}
    std::size_t lines = 0;

private:
    std::filesystem::path dir_;
};

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int blocks = 1000; // header block included
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("veltrona-baton-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);

    SystemClock clock;
    VirtualStation station(clock);
    station.setPort(SerialPortDeviceName(1), VirtualPortKind::Cable);
    TimingPort port(station);
    Trace trace(clock, 1);
    trace.setWorkDir(dir);
    MessageTable messages;
    messages.SetDefaultMessages(trace);
    QuietHost host(dir);
    CycleShared shared;
    FailedPatrolStore failedPatrol;
    TCommsThread cycle(
        CycleContext{port, clock, trace, messages, host, shared, failedPatrol, dir, "1"});

    VirtualBaton baton;
    baton.identity = "Brin0001";
    VirtualChip& chip = baton.chips[0];
    for (int k = 1; k < blocks; ++k)
        chip.blocks.push_back({0x00, 0xA1, static_cast<std::uint8_t>(k), 0x08, 0x09, 0x10,
                               static_cast<std::uint8_t>(k % 60 / 10 * 16 + k % 10), 0});
    chip.fillLevel = 8 * blocks;

    if (!cycle.CableSearch())
        return 1;
    cycle.StartCycle();
    station.placeBaton(baton);
    const std::uint64_t runStart = steadyNs();
    while (!cycle.PollingClock())
        cycle.RunPass();
    const double runSeconds = static_cast<double>(steadyNs() - runStart) / 1e9;

    const double byteSeconds = 11.0 / 9600.0;
    const double lineLimit = blocks * 12 * byteSeconds; // 0D request echoed + 10-byte reply
    const double measured = static_cast<double>(port.endNs - port.firstRequestNs) / 1e9;
    std::printf("baton download: %d blocks, %zu clocking lines stored\n", blocks, host.lines);
    std::printf("  block read time      %.3f s (first 0D request to last block received)\n",
                measured);
    std::printf("  line limit           %.3f s (%d x 12 bytes x 11 bits at 9600 baud)\n", lineLimit,
                blocks);
    std::printf("  efficiency           %.1f %% of the line limit (target >= 95 %%)\n",
                100.0 * lineLimit / measured);
    std::printf("  whole cycle          %.3f s (with the protocol's fixed waits)\n", runSeconds);

    station.removeBaton();
    while (!(cycle.State() == 10 && !cycle.BatonSeen()))
        cycle.RunPass();
    const double cpu0 = cpuSeconds();
    const std::uint64_t idleStart = steadyNs();
    while (steadyNs() - idleStart < static_cast<std::uint64_t>(idleSeconds) * 1000000000ULL)
        cycle.RunPass();
    const double wall = static_cast<double>(steadyNs() - idleStart) / 1e9;
    const double cpu = cpuSeconds() - cpu0;
    std::printf("idle cycle (no baton, break pulsing): %.1f s measured\n", wall);
    std::printf("  CPU time             %.4f s, %.4f s per idle minute, %.3f %% of one core\n", cpu,
                cpu * 60.0 / wall, 100.0 * cpu / wall);
    cycle.Finish();
    std::filesystem::remove_all(dir);
    return 0;
}
