#pragma once

#include "baton/CycleHost.h"
#include "baton/CycleShared.h"
#include "sites/FailedPatrolProgramme.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace veltrona {

class Clock;
class MessageTable;
class SerialPort;
class Trace;

// What the upload cycle works with. Everything is owned elsewhere and outlives the cycle.
struct CycleContext {
    SerialPort& port;
    Clock& clock;
    Trace& trace;
    const MessageTable& messages;
    CycleHost& host;
    CycleShared& shared;
    FailedPatrolStore& failedPatrol;
    std::filesystem::path workDir;
    std::string commPort; // the settings record's CommPort text
};

// The upload cycle: the link layer to the upload station, the state machine that waits for a
// baton, identifies it, sets its clock, writes a pending Id, downloads and clears its memory,
// hands the download to DoRaw, writes a pending failed-patrol programme and polls the clock until
// the baton is taken off. It owns the port and runs on its own thread (Start/Stop), or step by
// step on the caller's thread (CableSearch, StartCycle, RunPass) for tests and the CLI.
class TCommsThread {
public:
    explicit TCommsThread(CycleContext context);
    ~TCommsThread();
    TCommsThread(const TCommsThread&) = delete;
    TCommsThread& operator=(const TCommsThread&) = delete;

    // Thread control.
    void Start();
    // Asks the loop to stop and waits for it; releases the port with DTR on.
    void Stop();
    void RequestStop() { stop_ = true; }
    bool StopRequested() const { return stop_; }

    // The thread body: cable search, then passes until stopped, then DTR on.
    void Execute();
    // The start-up search for the port with the upload cable; true when found (false only when
    // asked to stop). Leaves the port open.
    bool CableSearch();
    // After the cable search: state 0, the start-up status text.
    void StartCycle();
    // One pass of the loop: the delay, then the step of the current state.
    void RunPass();
    // The thread's last act: DTR on.
    void Finish();

    // Link layer.
    std::uint8_t CalcCrc8(bool fromRx, int n) const;
    void SendFrame();
    void ReceiveFrames();
    void WaitReply(int ms);
    void PollingDelay(int ms);

    // Observers for tests and front ends.
    int State() const { return state_; }
    int ChipMem() const { return chipMem_; }
    int PortNumber() const { return portNumber_; }
    int Dly() const { return dly_; }
    bool BatonSeen() const { return batonSeen_; }
    int RxInd() const { return rxInd_; }
    bool RxOk() const { return rxOk_; }
    std::int64_t LoopCount() const { return loopCount_; }
    const std::string& StatusText() const { return statusText_; }
    const std::string& BatonIdentity() const { return batonIdentity_; }
    // True while the baton's clock is being polled after the download (the baton may go).
    bool PollingClock() const { return pollingClock_; }
    std::string RxBytes() const;

    // Test hooks: put bytes into the receive buffer as if read, and set the state.
    void SetStateForTest(int state) { state_ = state; }

private:
    // Reply codes that end (or belong to) the wait now running.
    struct Awaiting {
        std::uint8_t command = 0; // 0: nothing awaited
        std::uint8_t reply1 = 0;
        std::uint8_t reply2 = 0;
        bool blockRead = false;
        bool expects(std::uint8_t code) const {
            return command != 0 && (code == reply1 || code == reply2);
        }
    };

    // Where a download's lines came from, so an interrupted one keeps what a cleared chip held.
    struct ChipLines {
        int chip = 0;
        std::vector<std::string> lines;
        bool cleared = false;
    };

    void trace(const std::string& text);
    std::uint64_t now() const;
    void setStatus(const std::string& text);
    void setGauge(int position, int maximum);
    void setLed(IndicatorColour colour);
    void setNoData(bool visible);
    const std::string& msg(int n) const;

    // Frame bytes.
    void setTx(const std::string& frame);
    void sendTx(const std::string& frame, Awaiting awaiting, bool oneString = false);
    void writeString(const std::string& bytes);
    void clearRx() { rxInd_ = 0; }
    void drop(int n);
    void handleFrame();
    void handleHello();
    void handleClockReply04();
    void handleClockReply34();
    void traceVoltage(std::uint8_t level);
    void handleBlockPointerAck();
    void handleDataBlock();
    void handleBlockWriteAck();
    void handleIdButton();
    void handleUnknown();
    void setDtr(bool on, const std::string& failureTrace);
    void setBreak(bool on);
    void ensureOpen();
    bool receive();
    void waitForBytesUntil(std::uint64_t until);
    void runParserUntilDeadline();
    void busyWait(int ms);

    // States.
    void state0();
    void state5();
    void state10();
    void state130();
    void state140();
    void state160();
    void state180();
    void state200();
    void state250();
    void programmeStart();
    void pollClock();
    std::string chipStatus(int chipMem) const;

    // Raw.txt and the interrupted-download rescue.
    void startRawFile();
    void appendRawLine(const std::array<std::uint8_t, 8>& block);
    void downloadInterrupted(bool store);
    void downloadHandedOver();

    CycleContext ctx_;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    // Link fields.
    std::array<std::uint8_t, 257> txBuf_{};
    int txLen_ = 0;
    std::array<std::uint8_t, 512> rxBuf_{};
    int rxInd_ = 0;
    bool rxOk_ = false;
    bool batonSeen_ = false;
    std::uint64_t deadline_ = 0;
    std::uint64_t startTick_ = 0;
    bool pollInDelay_ = false;
    bool breakOn_ = false;
    Awaiting awaiting_;
    int portNumber_ = 0;

    // Cycle fields.
    int state_ = 0;
    int dly_ = 100;
    int chipMem_ = 14;
    bool rawStarted_ = false;
    std::int64_t loopCount_ = 0;
    std::string lastTimeText_;
    bool startupDone_ = false;
    bool countRxProgress_ = false;
    int pollCount_ = 0;
    int memSize_ = 0;
    int pktCount_ = 0;
    int blockRetries_ = 0;
    bool pollingClock_ = false;

    // Per baton.
    std::string identity_;      // the filtered identity characters
    std::string batonIdentity_; // the Id label's text
    std::string versionCode_;
    bool secondsCounter_ = false;
    BatonSettings settings_;
    std::string idSent_; // the Id of the last 07 frame

    // The programme being written (a copy taken when its writing starts).
    std::optional<FailedPatrolStore::Snapshot> programme_;
    std::int64_t writeIndex_ = 1;
    bool programmeFillSent_ = false;
    bool chip0GivenUp_ = false;
    int clearingChip_ = -1;

    // Indicators as last set (so the host hears of changes only).
    std::string statusText_;
    std::string timeLabelText_;
    std::string captionText_;
    IndicatorColour labelColour_ = IndicatorColour::WindowText;
    int gaugePos_ = 0;
    int gaugeMax_ = 0;
    bool noDataVisible_ = true;

    // Download bookkeeping.
    std::string rawHeader_;
    std::vector<ChipLines> rawChips_;
    bool downloadOpen_ = false; // Raw.txt holds a download that has not been handed over
};

} // namespace veltrona
