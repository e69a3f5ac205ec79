// veltrona-cli upload: the cable search and one complete upload cycle, against the virtual upload
// station holding a baton described by a file, or against the real port.
#include "app/ActionLog.h"
#include "app/cli/CliCommand.h"
#include "app/cli/CliSession.h"
#include "baton/CycleHost.h"
#include "baton/CycleShared.h"
#include "baton/WireLogPort.h"
#include "baton/uThread.h"
#include "platform/FileError.h"
#include "platform/SerialPort.h"
#include "platform/qt/QtSerialPort.h"
#include "platform/qt/SystemClock.h"
#include "platform/virtual/VirtualClock.h"
#include "platform/virtual/VirtualStation.h"
#include "platform/virtual/VirtualStationFile.h"
#include "processing/DoRaw.h"
#include "processing/Workspace.h"
#include "sites/FailedPatrolProgramme.h"

#include <fstream>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace veltrona::cli {

namespace {

// The main window as the command line has it: status texts printed as they change, the
// synchronised calls run at once on this thread (the cycle runs here too).
class CliCycleHost : public CycleHost {
public:
    CliCycleHost(Workspace& ws, CycleShared& shared, FailedPatrolStore& failedPatrol,
                 const Clock& clock)
        : ws_(ws), shared_(shared), failedPatrol_(failedPatrol), clock_(clock) {}

    void SetLed(IndicatorColour) override {}
    void SetIdLabel(const std::string&) override {}
    void SetIdLabelColour(IndicatorColour) override {}
    void SetVersionLabel(const std::string&) override {}
    void SetDateLabel(const std::string&, IndicatorColour) override {}
    void SetTimeLabel(const std::string&, IndicatorColour) override {}
    void SetClockWarningVisible(bool visible) override {
        if (visible)
            std::cout << "warning: Time in Baton is not the same as PC!!" << std::endl;
    }
    void SetNoDataVisible(bool visible) override {
        if (visible)
            std::cout << "No Data in Brinvale" << std::endl;
    }
    void SetGauge(int, int) override {}
    void SetGaugeColour(IndicatorColour) override {}
    void SetCaption(const std::string&) override {}
    void SetStatusText(const std::string& text) override {
        std::cout << "status: " << text << std::endl;
    }
    void Beep() override {}
    void BringToFront() override {}
    void SetIdDialogNumber(const std::string&) override {}
    BatonSettings ReadBatonSettings() override {
        return {ws_.settings.updateDateTimeAutomatically, ws_.settings.uploadVeltronaData,
                ws_.settings.clearVeltronaMemory};
    }
    void DoRaw() override {
        ws_.idLabelText = shared_.IdLabelText();
        const std::string label = shared_.BatonIdentity();
        ws_.batonIdentity = label.size() > 5 ? label.substr(5) : std::string();
        ws_.versionCode = shared_.VersionCode();
        ws_.failedPatrolPending = failedPatrol_.Pending();
        std::cout << "processing Raw.txt" << std::endl;
        veltrona::DoRaw(ws_);
        ++downloads;
    }
    void ClearedWithoutUpload(const std::string& idLabel) override {
        AppendActionLog(ws_.workDir, clock_, "unknown",
                        "Veltrona cleared without an uploaded " + idLabel);
    }
    void IdButtonRead(const std::string& id) override {
        std::cout << "Id button read " << id << std::endl;
    }

    int downloads = 0;

private:
    Workspace& ws_;
    CycleShared& shared_;
    FailedPatrolStore& failedPatrol_;
    const Clock& clock_;
};

int uploadCommand(const fs::path& workDir, const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    CliSessionOptions options = takeSessionOptions(args);
    std::string batonFile, wireLogFile;
    const bool virtualStation = takeOption(args, "--virtual-station", batonFile);
    const bool realTime = takeFlag(args, "--real-time");
    const bool wireLog = takeOption(args, "--wire-log", wireLogFile);
    if (!args.empty())
        throw UsageError("unexpected argument " + args[0]);
    if (realTime && !virtualStation)
        throw UsageError("--real-time needs --virtual-station");

    const auto relative = [&](const std::string& name) {
        return fs::path(name).is_absolute() ? fs::path(name) : workDir / name;
    };
    VirtualBaton baton;
    if (virtualStation)
        baton = LoadVirtualBatonFile(relative(batonFile));

    CliSession session(workDir, options, std::cerr);
    Workspace& ws = session.workspace();
    ws.askUnknownCheckpoints = {}; // unknown checkpoints are left as they are

    // The cycle's time: virtual time from the real local time, or the real clock.
    SystemClock systemClock;
    VirtualClock virtualClock(systemClock.now());
    Clock& clock = virtualStation && !realTime ? static_cast<Clock&>(virtualClock)
                                               : static_cast<Clock&>(systemClock);

    std::unique_ptr<VirtualStation> station;
    std::unique_ptr<QtSerialPort> realPort;
    SerialPort* port = nullptr;
    if (virtualStation) {
        station = realTime ? std::make_unique<VirtualStation>(systemClock)
                           : std::make_unique<VirtualStation>(virtualClock);
        const int n = PortNumberOf(ws.settings.commPort);
        station->setPort(SerialPortDeviceName(n == 0 ? 1 : n), VirtualPortKind::Cable);
        station->placeBaton(baton);
        port = station.get();
    } else {
        realPort = std::make_unique<QtSerialPort>();
        port = realPort.get();
    }
    std::ofstream wireOut;
    std::unique_ptr<WireLogPort> logged;
    if (wireLog) {
        wireOut.open(relative(wireLogFile), std::ios::binary | std::ios::trunc);
        if (!wireOut)
            throw FileError(relative(wireLogFile), "cannot be written");
        logged = std::make_unique<WireLogPort>(*port, clock, wireOut);
        port = logged.get();
    }

    CycleShared shared;
    FailedPatrolStore failedPatrol;
    CliCycleHost host(ws, shared, failedPatrol, clock);
    TCommsThread cycle(CycleContext{*port, clock, ws.trace, ws.messages, host, shared, failedPatrol,
                                    ws.workDir, ws.settings.commPort});
    if (!cycle.CableSearch())
        return 1;
    cycle.StartCycle();

    // Until the baton has been read; then (virtual) it is taken off, and the command ends when
    // the cycle looks for the next baton.
    const std::uint64_t limit = clock.tickMs() + 10ULL * 60ULL * 1000ULL;
    bool read = false;
    while (clock.tickMs() < limit || !virtualStation) {
        cycle.RunPass();
        if (!read && cycle.PollingClock()) {
            read = true;
            std::cout << "baton read: " << shared.IdLabelText() << std::endl;
            if (station)
                station->removeBaton();
        }
        if (read && cycle.State() == 10 && !cycle.BatonSeen())
            break;
    }
    cycle.Finish();
    if (!read) {
        std::cerr << "error: no baton was read" << std::endl;
        return 1;
    }
    std::cout << "baton released" << std::endl;
    return 0;
}

const CliRegistration registration{
    {"upload", "upload [--virtual-station FILE [--real-time]] [--wire-log LOG] [--open]",
     uploadCommand}};

} // namespace

} // namespace veltrona::cli
