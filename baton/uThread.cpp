#include "baton/uThread.h"

#include "app/MessageTable.h"
#include "app/Settings.h"
#include "app/Trace.h"
#include "baton/Frames.h"
#include "baton/RawUploadFile.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <cstdio>
#include <exception>

namespace veltrona {

using frames::Hex;

namespace {

constexpr std::uint8_t kIdentity = 0x01, kIdentityReply = 0x02;
constexpr std::uint8_t kClock = 0x03, kClockReply = 0x04;
constexpr std::uint8_t kSetClock = 0x05, kSetClockAck = 0x06;
constexpr std::uint8_t kSetId = 0x07, kSetIdAck = 0x08;
constexpr std::uint8_t kFillLevel = 0x09, kFillLevelReply = 0x0A;
constexpr std::uint8_t kBlockPointer = 0x0B, kBlockPointerAck = 0x0C, kDataBlock = 0x0E;
constexpr std::uint8_t kBlockWrite = 0x0F, kBlockWriteAck = 0x10;
constexpr std::uint8_t kSetFill = 0x11, kSetFillAck = 0x12;
constexpr std::uint8_t kSecondsClock = 0x33, kSecondsClockReply = 0x34;
constexpr std::uint8_t kSetSecondsClock = 0x35, kSetSecondsClockAck = 0x36;

std::string str(std::int64_t v) {
    return std::to_string(v);
}

} // namespace

TCommsThread::TCommsThread(CycleContext context) : ctx_(std::move(context)) {}

TCommsThread::~TCommsThread() {
    Stop();
}

void TCommsThread::Start() {
    if (thread_.joinable())
        return;
    stop_ = false;
    thread_ = std::thread([this] { Execute(); });
}

void TCommsThread::Stop() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void TCommsThread::Execute() {
    try {
        if (CableSearch()) {
            StartCycle();
            while (!stop_)
                RunPass();
        }
    } catch (const std::exception& e) {
        // The cycle cannot go on (a port that no longer opens, a Raw.txt that cannot be
        // written); say so rather than leave a silent window without a link.
        trace(std::string("Cycle ended: ") + e.what());
        setStatus(std::string("Upload link stopped: ") + e.what());
    }
    try {
        Finish();
    } catch (const std::exception& e) {
        trace(std::string("Cycle end: ") + e.what());
    }
}

void TCommsThread::Finish() {
    // The window thread waits for this thread to end: no synchronised call now. The file keeps
    // the cleared chips' clockings for the close check to offer.
    if (downloadOpen_)
        downloadInterrupted(false);
    setDtr(true, "Error 20 Set DTR" + str(portNumber_));
    trace("At end I think");
}

// ---------------------------------------------------------------- helpers

void TCommsThread::trace(const std::string& text) {
    ctx_.trace.TraceLine(text, loopCount_);
}

std::uint64_t TCommsThread::now() const {
    return ctx_.clock.tickMs();
}

const std::string& TCommsThread::msg(int n) const {
    return ctx_.messages.Message(n);
}

void TCommsThread::setStatus(const std::string& text) {
    if (text == statusText_)
        return;
    statusText_ = text;
    ctx_.host.SetStatusText(text);
}

void TCommsThread::setGauge(int position, int maximum) {
    if (position == gaugePos_ && maximum == gaugeMax_)
        return;
    gaugePos_ = position;
    gaugeMax_ = maximum;
    ctx_.host.SetGauge(position, maximum);
}

void TCommsThread::setLed(IndicatorColour colour) {
    ctx_.host.SetLed(colour);
}

void TCommsThread::setNoData(bool visible) {
    if (visible == noDataVisible_)
        return;
    noDataVisible_ = visible;
    ctx_.host.SetNoDataVisible(visible);
}

std::string TCommsThread::RxBytes() const {
    std::string s;
    for (int i = 1; i <= rxInd_; ++i)
        s.push_back(static_cast<char>(rxBuf_[static_cast<std::size_t>(i)]));
    return s;
}

std::uint8_t TCommsThread::CalcCrc8(bool fromRx, int n) const {
    const auto& buf = fromRx ? rxBuf_.data() : txBuf_.data();
    return frames::Crc8(buf + 1, static_cast<std::size_t>(std::max(n, 0)));
}

void TCommsThread::setTx(const std::string& frame) {
    txLen_ = static_cast<int>(std::min<std::size_t>(frame.size(), 256));
    for (int i = 0; i < txLen_; ++i)
        txBuf_[static_cast<std::size_t>(i + 1)] = static_cast<std::uint8_t>(frame[i]);
}

void TCommsThread::writeString(const std::string& bytes) {
    // Bytes written while the break holds the line would never reach the station.
    if (breakOn_)
        setBreak(false);
    ctx_.port.write(bytes);
}

void TCommsThread::SendFrame() {
    for (int i = 1; i <= txLen_; ++i)
        writeString(std::string(1, static_cast<char>(txBuf_[static_cast<std::size_t>(i)])));
}

void TCommsThread::sendTx(const std::string& frame, Awaiting awaiting, bool oneString) {
    setTx(frame);
    awaiting_ = awaiting;
    if (oneString)
        writeString(frame);
    else
        SendFrame();
}

void TCommsThread::drop(int n) {
    if (n >= rxInd_) {
        rxInd_ = 0;
        return;
    }
    std::copy(rxBuf_.begin() + 1 + n, rxBuf_.begin() + 1 + rxInd_, rxBuf_.begin() + 1);
    rxInd_ -= n;
}

void TCommsThread::setDtr(bool on, const std::string& failureTrace) {
    try {
        ctx_.port.setDtr(on);
    } catch (const SerialError&) {
        trace(failureTrace);
    }
}

void TCommsThread::setBreak(bool on) {
    ctx_.port.setBreak(on);
    breakOn_ = on;
}

void TCommsThread::ensureOpen() {
    if (!ctx_.port.isOpen())
        ctx_.port.open(SerialPortDeviceName(portNumber_));
}

void TCommsThread::busyWait(int ms) {
    ctx_.clock.sleepMs(static_cast<std::uint64_t>(ms));
}

void TCommsThread::waitForBytesUntil(std::uint64_t until) {
    const std::uint64_t t = now();
    if (t > until)
        return;
    const std::uint64_t timeout = until - t + 1;
    if (ctx_.port.isOpen())
        ctx_.port.waitForBytes(timeout);
    else
        ctx_.clock.sleepMs(timeout);
}

// ---------------------------------------------------------------- waits

void TCommsThread::WaitReply(int ms) {
    deadline_ = now() + static_cast<std::uint64_t>(ms);
    for (;;) {
        const bool progress = receive();
        if (rxOk_ || stop_ || now() > deadline_)
            break;
        if (!progress)
            waitForBytesUntil(deadline_);
    }
}

void TCommsThread::runParserUntilDeadline() {
    while (!stop_ && now() <= deadline_) {
        if (!receive())
            waitForBytesUntil(deadline_);
    }
}

void TCommsThread::PollingDelay(int ms) {
    trace("In");
    const std::uint64_t end = now() + static_cast<std::uint64_t>(std::max(ms, 0));
    trace("1");
    while (!stop_ && now() <= end) {
        trace("2");
        if (pollInDelay_) {
            if (!receive())
                waitForBytesUntil(end);
        } else {
            ctx_.clock.sleepMs(end - now() + 1);
        }
        trace("3");
    }
    trace("4");
    trace("Out");
}

// ---------------------------------------------------------------- receiving

void TCommsThread::ReceiveFrames() {
    receive();
}

// One call of the parser; true when it read or consumed bytes, so that calling it again at once
// may achieve more. When false, only new bytes can change anything and the caller may block.
bool TCommsThread::receive() {
    const int before = rxInd_;
    bool readAny = false;
    trace("ChkPrt Start");
    const std::size_t waiting = ctx_.port.isOpen() ? ctx_.port.bytesWaiting() : 0;
    if (waiting > 0) {
        const std::string in = ctx_.port.read(waiting);
        int gauge = gaugePos_;
        for (char ch : in) {
            readAny = true;
            const auto b = static_cast<std::uint8_t>(ch);
            ++rxInd_;
            rxBuf_[static_cast<std::size_t>(rxInd_)] = b;
            trace("inchar = " + str(b));
            if (countRxProgress_)
                ++gauge;
            else if (state_ != 155)
                gauge = 0;
            if (rxInd_ > 100) {
                rxInd_ = 0;
                state_ = 0;
            }
            if (!batonSeen_ && rxInd_ >= 2 &&
                rxBuf_[static_cast<std::size_t>(rxInd_ - 1)] == 0x01 && b == 0x0D)
                batonSeen_ = true;
        }
        setGauge(gauge, gaugeMax_);
    }
    trace("Dunno1");
    const int afterRead = rxInd_;
    if (rxOk_) {
        if (rxInd_ > 0)
            trace(frames::HexDump(RxBytes()) + ">RxOk< " + str(dly_));
        return readAny || rxInd_ != before;
    }
    trace("Not Rx Ok");
    if (rxInd_ == 0)
        return readAny || rxInd_ != before;
    trace(frames::HexDump(RxBytes()) + ">Not RxOk< " + str(dly_) + "( " +
          str(static_cast<std::int64_t>(now() - startTick_)) + " )");
    handleFrame();
    return readAny || rxInd_ != afterRead || rxOk_;
}

void TCommsThread::traceVoltage(std::uint8_t level) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", level * 0.0196078431);
    trace(std::string("Voltage =") + text + "V");
}

void TCommsThread::handleFrame() {
    const int n = rxInd_;
    const std::uint8_t* rx = rxBuf_.data() + 1; // rx[0] is RxBuf[1]
    const std::uint8_t code = rx[0];
    using frames::Ack;
    switch (code) {
    case 0x00:
        drop(1);
        break;
    case 0x01:
        if (n >= 2) {
            if (rx[1] == 0x0D)
                handleHello();
            else if (rx[1] == 0x5E && n >= 4 && rx[2] == 0x01 && rx[3] == 0x0D)
                handleHello();
            else if (rx[1] == 0x5E)
                drop(2);
            else
                drop(1);
        }
        break;
    case kIdentityReply:
        if (n > 11) {
            const std::uint8_t crc = CalcCrc8(true, 11);
            trace(Hex(crc));
            if (crc == rx[11]) {
                if (awaiting_.expects(code))
                    rxOk_ = true;
                else
                    drop(12);
            }
        }
        setNoData(false);
        break;
    case kClock:
    case kSecondsClock:
        if (n > 1)
            drop(2);
        break;
    case kClockReply:
        if (n > 9 && frames::FrameValid(rx, n, 10)) {
            if (awaiting_.expects(code)) {
                rxOk_ = true;
                handleClockReply04();
            } else {
                drop(10);
            }
        }
        break;
    case kSetClock:
        if (n >= 10)
            drop(10);
        break;
    case kSetClockAck:
    case kSetSecondsClockAck:
        if (n >= 3) {
            const Ack ack = frames::ParseAck(rx, n);
            if (!awaiting_.expects(code)) {
                drop(3);
            } else if (ack == Ack::Positive) {
                rxOk_ = true;
            } else if (code == kSetClockAck || ack == Ack::Negative) {
                state_ = 140;
                clearRx();
                trace("RxInd=0 >After Rec 06 Command< " + str(dly_));
            }
        }
        break;
    case kSetId:
        if (n >= 6)
            drop(6);
        break;
    case kSetIdAck:
        if (n > 2) {
            const Ack ack = frames::ParseAck(rx, n);
            if (!awaiting_.expects(code)) {
                drop(3);
            } else if (ack == Ack::Positive) {
                ctx_.shared.ClearPendingIdIfStill(idSent_);
                clearRx();
                sendTx(frames::IdentityRequest(), {kIdentity, kIdentityReply, 0, false}, true);
                rxOk_ = false;
                dly_ = 100;
                state_ = 130;
            } else if (ack == Ack::Negative) {
                state_ = 220;
                clearRx();
            }
        }
        break;
    case kFillLevel:
        if (n >= 3)
            drop(3);
        break;
    case kFillLevelReply:
        if (n > 3) {
            const std::uint8_t crc = CalcCrc8(true, 3);
            if (crc == rx[3]) {
                if (awaiting_.expects(code)) {
                    rxOk_ = true;
                    clearRx(); // the fields stay readable in RxBuf
                } else {
                    drop(4);
                }
            }
            trace(Hex(crc));
        }
        break;
    case kBlockPointer:
        if (n >= 6) {
            drop(6);
            deadline_ = now() + 500;
        }
        break;
    case kBlockPointerAck:
        handleBlockPointerAck();
        break;
    case 0x0D:
        if (n >= 3) {
            drop(2);
            deadline_ = now() + 1500;
        }
        break;
    case kDataBlock:
        if (n > 9 && frames::FrameValid(rx, n, 10)) {
            if (awaiting_.expects(code))
                handleDataBlock();
            else
                drop(10);
        }
        break;
    case kBlockWrite:
        if (chipMem_ == 0 && n >= 11)
            drop(10);
        else if (chipMem_ > 0 && n > 2)
            drop(2);
        break;
    case kBlockWriteAck:
        handleBlockWriteAck();
        break;
    case kSetFill:
        if (n >= 5)
            drop(5);
        break;
    case kSetFillAck:
        if (n > 2) {
            const Ack ack = frames::ParseAck(rx, n);
            if (!awaiting_.expects(code)) {
                drop(3);
            } else if (ack == Ack::Positive || ack == Ack::Negative) {
                if (ack == Ack::Negative)
                    trace("RxInd=0 >After Rec 12 Command< " + str(dly_));
                if (ack == Ack::Positive) {
                    if (programmeFillSent_ && programme_) {
                        ctx_.failedPatrol.MarkDone(programme_->generation);
                    } else if (!rawChips_.empty() && rawChips_.back().chip == clearingChip_) {
                        rawChips_.back().cleared = true;
                    }
                }
                rxOk_ = true;
                state_ = 160;
                clearRx();
                trace("RxInd=0 >After Rec 12 Command B < " + str(dly_));
            }
        }
        break;
    case 0x13:
        if (n >= 4)
            drop(4);
        break;
    case 0x14:
        if (n > 2 && frames::FrameValid(rx, n, 3)) {
            state_ = 210;
            drop(3);
        }
        break;
    case 0x17:
    case 0x23:
    case 0x2A:
    case 0x2C:
        if (n >= 3)
            drop(3);
        break;
    case 0x18:
        if (n > 2)
            drop(3);
        break;
    case 0x22:
        if (n >= 3) {
            traceVoltage(rx[1]);
            drop(3);
        }
        break;
    case 0x24:
        if (n > 4 && frames::FrameValid(rx, n, 5))
            handleIdButton();
        break;
    case 0x26:
        if (n >= 6) {
            trace("ButtonTime =" + Hex(rx[1]) + Hex(rx[2]) + Hex(rx[3]) + Hex(rx[4]));
            ctx_.host.Beep();
            drop(6);
        }
        break;
    case 0x28:
        if (n >= 3) {
            traceVoltage(rx[1]);
            // A high charge report pauses the wait for a baton; mid-download it changes nothing.
            if (rx[1] > 102 && (state_ == 0 || state_ == 5 || state_ == 10))
                state_ = 20;
            drop(3);
        }
        break;
    case kSecondsClockReply:
        if (n > 5 && frames::FrameValid(rx, n, 6)) {
            if (awaiting_.expects(code)) {
                rxOk_ = true;
                handleClockReply34();
            } else {
                drop(6);
            }
        }
        break;
    case kSetSecondsClock:
        if (n >= 6)
            drop(6);
        break;
    case 0x55:
        if (n > 2 && CalcCrc8(true, 2) == rx[2]) {
            trace("CalVal is " + Hex(rx[1]));
            drop(3);
        } else {
            drop(1);
        }
        break;
    case 0x81:
        clearRx();
        break;
    case 0xF0:
        if (n >= 2) {
            int k = 0;
            while (k < n && rx[k] == 0xF0)
                ++k;
            drop(k);
        }
        break;
    case 0xFE:
    case 0xFF:
        if (n >= 2)
            drop(1);
        break;
    default:
        handleUnknown();
        break;
    }
}

void TCommsThread::handleHello() {
    batonSeen_ = true;
    clearRx();
    writeString(frames::HelloAnswer());
}

void TCommsThread::handleUnknown() {
    clearRx();
    trace("RxInd=0 >After Rec funny Command< " + str(dly_));
    // Repeat only the command whose reply is awaited; in a block read the round's own timeout
    // resumes at the first missing block, and a repeated 0D would skip one.
    if (awaiting_.command != 0 && !awaiting_.blockRead && txLen_ > 0 &&
        txBuf_[1] == awaiting_.command)
        SendFrame();
}

void TCommsThread::handleClockReply04() {
    const std::uint8_t* rx = rxBuf_.data() + 1;
    const frames::ClockDisplay d = frames::BcdClockDisplay(rx, ctx_.clock.now(), msg(13), msg(14));
    if (d.compared) {
        labelColour_ = d.mismatch ? IndicatorColour::Red : IndicatorColour::WindowText;
        ctx_.host.SetClockWarningVisible(d.mismatch);
    }
    ctx_.host.SetDateLabel(d.date, labelColour_);
    ctx_.host.SetTimeLabel(d.time, labelColour_);
    timeLabelText_ = d.time;
    unsigned long version = 0;
    try {
        version = std::stoul(versionCode_, nullptr, 16);
    } catch (const std::exception&) {
        version = 0;
    }
    if (version >= 0x2716 && identity_.substr(0, 4) == "Brin") {
        const std::string label =
            rx[8] != 0 ? batonIdentity_ + "   Dly : " + str(rx[8]) : batonIdentity_;
        ctx_.host.SetIdLabel(label);
        ctx_.shared.SetIdLabelText(label);
    }
}

void TCommsThread::handleClockReply34() {
    const frames::ClockDisplay d = frames::SecondsClockDisplay(rxBuf_.data() + 1, msg(13), msg(14));
    ctx_.host.SetDateLabel(d.date, labelColour_);
    ctx_.host.SetTimeLabel(d.time, labelColour_);
    timeLabelText_ = d.time;
    ctx_.host.SetIdLabel(batonIdentity_);
    ctx_.shared.SetIdLabelText(batonIdentity_);
}

void TCommsThread::handleIdButton() {
    const std::uint8_t* rx = rxBuf_.data() + 1;
    const std::string id = Hex(rx[1]) + Hex(rx[2]) + Hex(rx[3]);
    trace("IdButton =" + id);
    ctx_.host.Beep();
    drop(5);
    if (id == "000000") {
        trace("0");
        return;
    }
    trace("1");
    ctx_.host.IdButtonRead(id);
}

// ---------------------------------------------------------------- memory transfer frames

void TCommsThread::handleBlockPointerAck() {
    const int n = rxInd_;
    if (n <= 2)
        return;
    const frames::Ack ack = frames::ParseAck(rxBuf_.data() + 1, n);
    if (!awaiting_.expects(kBlockPointerAck)) {
        drop(3);
        return;
    }
    if (ack == frames::Ack::Negative) {
        clearRx();
        trace("RxInd=0 >After Rec 0C Command Error retry< " + str(dly_));
        SendFrame();
        return;
    }
    if (ack != frames::Ack::Positive)
        return;
    rxOk_ = true;
    if (chipMem_ <= 0 && rawStarted_ && blockRetries_ <= 0)
        return;
    setStatus(chipStatus(chipMem_));
    clearRx();
    trace("RxInd=0 >After Rec 0c Command B < " + str(chipMem_));
    writeString(frames::NextBlockRequest());
    rxOk_ = false;
    deadline_ = now() + 1500;
}

void TCommsThread::handleDataBlock() {
    rxOk_ = true;
    deadline_ = now() + 1500;
    std::array<std::uint8_t, 8> block{};
    std::copy(rxBuf_.begin() + 2, rxBuf_.begin() + 10, block.begin());
    if (pktCount_ != 0) {
        ++pktCount_;
        trace("Inc PktCount B < " + str(pktCount_));
        appendRawLine(block);
    } else {
        pktCount_ = 1;
        trace("Inc PktCount A < " + str(pktCount_));
        if (!rawStarted_) {
            startRawFile();
            rawStarted_ = true;
        }
    }
    if (memSize_ < (pktCount_ + 1) * 8) {
        state_ = 180;
        dly_ = 100;
        drop(10);
        trace("RxInd=" + str(rxInd_) + " >After Rec 0E Command C < " + str(chipMem_));
        return;
    }
    setStatus(chipStatus(chipMem_));
    drop(10);
    trace("RxInd=" + str(rxInd_) + " >After Rec 0E Command D < " + str(pktCount_) + " " +
          str(memSize_ / 8));
    writeString(frames::NextBlockRequest());
    rxOk_ = false;
    blockRetries_ = 0;
}

void TCommsThread::handleBlockWriteAck() {
    const int n = rxInd_;
    if (n <= 2)
        return;
    const frames::Ack ack = frames::ParseAck(rxBuf_.data() + 1, n);
    if (!awaiting_.expects(kBlockWriteAck)) {
        drop(3);
        return;
    }
    if (ack == frames::Ack::Positive)
        rxOk_ = true;
    // Tested before the ack is dropped, so a refused block goes out again.
    const bool refused = ack == frames::Ack::Negative;
    if (chipMem_ == 0)
        drop(3);
    if (refused)
        SendFrame();
}

// ---------------------------------------------------------------- cable search

bool TCommsThread::CableSearch() {
    SerialPort& port = ctx_.port;
    setStatus(msg(108));
    pollInDelay_ = false;
    loopCount_ = 0;
    startTick_ = now();
    const int configured = PortNumberOf(ctx_.commPort);
    portNumber_ = configured;
    if (port.isOpen())
        port.close();
    if (portNumber_ == 0)
        portNumber_ = 1;
    ctx_.host.SetGaugeColour(IndicatorColour::Blue);

    bool found = false;
    while (!found && !stop_) {
        const std::string number = str(portNumber_);
        setStatus(msg(109) + " " + number + " )");
        trace("Try2 " + number);
        int tries = 0;
        bool opened = false;
        while (tries < 4 && !opened && !stop_) {
            busyWait(10);
            ++tries;
            trace("Try " + number);
            try {
                port.open(SerialPortDeviceName(portNumber_));
                opened = true;
            } catch (const SerialError&) {
            }
        }
        if (!opened) {
            port.close();
            ++portNumber_;
            trace("SerErr " + str(tries));
        } else {
            setDtr(true, "2b");
            PollingDelay(250);
            port.read(port.bytesWaiting());
            port.write(frames::CableProbe());
            PollingDelay(50);
            std::string answer = port.read(port.bytesWaiting());
            trace("1st " + number + " <<>> " + answer);
            std::string padded = answer;
            if (padded.size() < 7)
                padded.resize(7, ' ');
            bool echo = padded == "Emty   ";
            for (std::size_t at = 1; at <= 3 && !echo; ++at)
                echo = padded.compare(at, 4, "Emty") == 0;
            if (!echo) {
                ++portNumber_;
            } else {
                setDtr(false, "Error 1 Clear DTR" + number);
                port.read(port.bytesWaiting());
                port.write(frames::CableProbe());
                PollingDelay(50);
                answer = port.read(port.bytesWaiting());
                trace("2nd " + number + " <<>> " + answer);
                if (answer != "Emty")
                    found = true;
                else
                    ++portNumber_;
            }
            setDtr(true, "2");
            if (!found)
                port.close();
        }
        if (portNumber_ == 256)
            portNumber_ = 0;
    }
    if (!found)
        return false;

    const std::string number = str(portNumber_);
    if (portNumber_ != configured) {
        trace("Set port as found");
        std::vector<std::string> lines = ReadSettingsLines(ctx_.workDir);
        SetSetting(lines, "CommPort", number);
        SaveSettingsLines(ctx_.workDir, lines);
    }
    setDtr(false, "Error 1 Clear DTR" + number);
    setStatus(msg(110));
    port.read(port.bytesWaiting());
    port.write(frames::IdentityRequest());
    trace("Sent first 01");
    PollingDelay(250);
    trace(port.read(port.bytesWaiting()));
    setDtr(true, "Error 2 Set DTR" + number);
    setBreak(false);
    trace("Over checking 4 VIvuv");
    return true;
}

// ---------------------------------------------------------------- the loop

void TCommsThread::StartCycle() {
    startupDone_ = true;
    state_ = 0;
    dly_ = 100;
    setStatus(msg(111));
    trace("starting program");
}

void TCommsThread::RunPass() {
    trace("dly>" + str(dly_));
    PollingDelay(dly_);
    pollInDelay_ = true;
    trace("Loopcount " + str(loopCount_));
    ++loopCount_;
    trace("Tmr>" + str(static_cast<std::int64_t>(now())) + " >State= " + str(state_) +
          " >Dly= " + str(dly_));
    if (stop_)
        return;
    switch (state_) {
    case 0:
        state0();
        break;
    case 5:
        state5();
        break;
    case 10:
        state10();
        break;
    case 20:
        dly_ = 1000;
        state_ = 5;
        break;
    case 130:
        state130();
        break;
    case 140:
        state140();
        break;
    case 155:
        state_ = 160;
        break;
    case 160:
        state160();
        break;
    case 180:
        state180();
        break;
    case 200:
        state200();
        break;
    case 250:
        state250();
        break;
    case 210:
    case 220:
        // A station status or a refused Id leaves nothing to wait for: start again.
        state_ = 0;
        break;
    default:
        break;
    }
}

void TCommsThread::state0() {
    clearRx();
    trace("RxInd=0 >State=0< " + str(dly_));
    awaiting_ = {};
    pollingClock_ = false;
    programme_.reset();
    programmeFillSent_ = false;
    if (downloadOpen_)
        downloadInterrupted(true);
    // Open first: switching DTR on a closed port would fail.
    ensureOpen();
    ctx_.port.setDtr(true);
    if (startupDone_)
        setBreak(true);
    setLed(IndicatorColour::Yellow);
    captionText_ = "Veltrona";
    ctx_.host.SetCaption(captionText_);
    dly_ = 500;
    state_ = 5;
    batonSeen_ = false;
}

void TCommsThread::state5() {
    if (ctx_.shared.AutoIncrementId()) {
        trace("5 Autoinc");
        ctx_.host.SetIdLabelColour(IndicatorColour::Blue);
        if (const auto next = ctx_.shared.AutoIncrement()) {
            ctx_.host.SetIdDialogNumber(*next);
            const std::string label = msg(10) + " " + *next;
            ctx_.host.SetIdLabel(label);
            ctx_.shared.SetIdLabelText(label);
        }
    } else {
        ctx_.host.SetIdLabelColour(IndicatorColour::WindowText);
    }
    countRxProgress_ = false;
    rawStarted_ = false;
    setStatus(msg(8));
    setLed(IndicatorColour::Purple);
    trace("5 brush purple");
    setBreak(false);
    ctx_.port.setDtr(true);
    trace("5.1");
    dly_ = 300;
    state_ = 10;
}

void TCommsThread::state10() {
    if (batonSeen_) {
        trace("10 :)");
        setLed(IndicatorColour::Lime);
        ctx_.host.BringToFront();
        chipMem_ = 14;
        chip0GivenUp_ = false;
        clearRx();
        rxOk_ = false;
        dly_ = 500;
        state_ = 130;
        return;
    }
    trace("10 :(");
    ensureOpen();
    if (startupDone_)
        setBreak(true);
    dly_ = 350;
    state_ = 5;
    setLed(IndicatorColour::Yellow);
    trace("10 :(  v2");
}

void TCommsThread::state130() {
    if (rxOk_ && rxBuf_[1] == kIdentityReply) {
        const std::uint8_t* rx = rxBuf_.data() + 1;
        const std::string raw(reinterpret_cast<const char*>(rx + 3), 8);
        if (chipMem_ == 14 && raw.substr(0, 4) == "Brin")
            chipMem_ = 2;
        setStatus(msg(12));
        identity_ = frames::FilterIdentity(raw);
        batonIdentity_ = msg(10) + " " + identity_;
        ctx_.host.SetIdLabel(batonIdentity_);
        ctx_.shared.SetIdLabelText(batonIdentity_);
        ctx_.host.SetVersionLabel(msg(9) + " " + Hex(rx[1]) + Hex(rx[2]));
        versionCode_ = Hex(rx[2]) + Hex(rx[1]);
        ctx_.shared.SetBatonIdentity(batonIdentity_, versionCode_);
        secondsCounter_ = frames::IsSecondsCounterBaton(identity_);
        settings_ = ctx_.host.ReadBatonSettings();
        state_ = settings_.updateDateTimeAutomatically ? 140 : 155;
        dly_ = 1;
        clearRx();
        awaiting_ = {};
        trace("RxInd=0 >At end of 130 TimerA< " + str(dly_));
        pollCount_ = 0;
        return;
    }
    clearRx();
    trace("RxInd=0 >Send 01 Command At end of 130 Timer< " + str(dly_));
    sendTx(frames::IdentityRequest(), {kIdentity, kIdentityReply, 0, false}, true);
    rxOk_ = false;
    WaitReply(500);
    if (!rxOk_) {
        awaiting_ = {};
        state_ = 0;
        trace("TimeOut with send Get Info");
    }
}

void TCommsThread::state140() {
    setGauge(gaugePos_, 12);
    countRxProgress_ = true;
    clearRx();
    setStatus(msg(11));
    std::string frame;
    if (secondsCounter_) {
        trace("RxInd=0 >Send 35 Command< " + str(dly_));
        frame = frames::SetSecondsClockFrame(ctx_.clock.now());
    } else {
        trace("RxInd=0 >Send 05 Command< " + str(dly_));
        frame = frames::SetClockFrame(ctx_.clock.now());
    }
    trace(frames::HexDump(frame) + " >Tx < " + str(dly_));
    if (secondsCounter_)
        sendTx(frame, {kSetSecondsClock, kSetSecondsClockAck, 0, false});
    else
        sendTx(frame, {kSetClock, kSetClockAck, 0, false});
    rxOk_ = false;
    WaitReply(500);
    awaiting_ = {};
    state_ = 155;
    if (rxOk_) {
        trace("SetClock OK");
    } else {
        state_ = 0;
        trace("TimeOut with Set Clock");
    }
}

void TCommsThread::state160() {
    dly_ = 200;
    // The values the dialogs hand over, read once for this pass.
    const std::string pendingId = ctx_.shared.PendingId();
    const bool fpPending = ctx_.failedPatrol.Pending();

    if (!pendingId.empty()) {
        clearRx();
        trace("RxInd=0 >Send 07 Command< " + str(dly_));
        setStatus(msg(15));
        idSent_ = pendingId;
        sendTx(frames::SetIdFrame(FourCharacterId(pendingId)), {kSetId, kSetIdAck, 0, false});
        rxOk_ = false;
        dly_ = 500;
        state_ = 0;
        return;
    }
    if (chipMem_ >= -1) {
        dly_ = 1;
        state_ = 200;
        trace("A ChipMem=" + str(chipMem_) + (fpPending ? " True" : " False"));
        setGauge(0, gaugeMax_ + 42);
        return;
    }
    if (rawStarted_ && settings_.uploadVeltronaData) {
        trace("Synchronize(frmMain.DoRaw)");
        ctx_.host.DoRaw();
        downloadHandedOver();
        rawStarted_ = false;
        trace("Synchronize(frmMain.DoRaw) End");
        return;
    }
    if (fpPending && !chip0GivenUp_) {
        programmeStart();
        return;
    }
    pollClock();
}

void TCommsThread::pollClock() {
    dly_ = 1;
    pollingClock_ = true;
    const std::string frame =
        secondsCounter_ ? frames::SecondsClockRequest() : frames::ClockRequest();
    const Awaiting awaitClock{secondsCounter_ ? kSecondsClock : kClock, kClockReply,
                              kSecondsClockReply, false};
    if (rxOk_) {
        if (timeLabelText_ != lastTimeText_) {
            ctx_.host.Beep();
            captionText_ = captionText_ != "Veltrona" ? "Veltrona" : "Veltrona  -  " + msg(114);
            ctx_.host.SetCaption(captionText_);
        }
        lastTimeText_ = timeLabelText_;
        setStatus(msg(12));
        countRxProgress_ = false;
        setGauge(gaugePos_, 1);
        clearRx();
        trace("RxInd=0 >Send 03 Command< " + str(dly_));
        trace("03 sent-2");
        setGauge(0, 12);
        trace("03 sent-1");
        trace(secondsCounter_ ? "03 sent3" : "03 sent1");
        sendTx(frame, awaitClock, true);
        trace(secondsCounter_ ? "03 sent4" : "03 sent2");
        rxOk_ = false;
        pollCount_ = 0;
        trace("03 sent");
    } else {
        ++pollCount_;
        if (pollCount_ % 5 == 0) {
            clearRx();
            trace("RxInd=0 >Send 03 Command B < " + str(dly_) + "( " +
                  str(static_cast<std::int64_t>(now() - startTick_)) + " )");
            setGauge(0, 12);
            const int left = (100 - pollCount_) / 10;
            if (left < 2)
                countRxProgress_ = false;
            if (secondsCounter_)
                busyWait(200);
            sendTx(frame, awaitClock, true);
            rxOk_ = false;
            if (left < 2)
                setStatus(msg(8) + " " + str(left));
        }
    }
    WaitReply(1500);
    awaiting_ = {};
    state_ = 160;
    if (!rxOk_) {
        state_ = 0;
        trace(">TimeOut with Read Clock< " + str(dly_) + "( " +
              str(static_cast<std::int64_t>(now() - startTick_)) + " )");
    }
    if (pollCount_ > 19)
        state_ = 0;
}

std::string TCommsThread::chipStatus(int chipMem) const {
    const auto number = frames::ChipDisplayNumber(chipMem);
    return number ? msg(16) + " " + str(*number) : msg(16);
}

void TCommsThread::state200() {
    setStatus(chipMem_ == 2 ? msg(16) : chipStatus(chipMem_));
    clearRx();
    trace("RxInd=0 >Send 09 Command< Del=" + str(chipMem_) + " " + str(dly_));
    sendTx(frames::FillLevelRequest(chipMem_), {kFillLevel, kFillLevelReply, 0, false});
    rxOk_ = false;
    chipMem_ -= 2;
    WaitReply(500);
    awaiting_ = {};
    if (!rxOk_) {
        state_ = 0;
        trace("TimeOut with Get mem size");
        return;
    }
    clearRx();
    const std::uint8_t hi = rxBuf_[2];
    memSize_ = hi * 256 + rxBuf_[3];
    trace("MemSize=" + str(memSize_));
    if (hi == 0x80 || memSize_ < 9) {
        if (chipMem_ < -1) {
            if (frames::IsFamilyBaton(identity_))
                setNoData(true);
            state_ = 160;
            chipMem_ = -20;
            clearRx();
            trace("RxInd=0 >After Rec 0A Command B < " + str(dly_));
        } else {
            state_ = 200;
            clearRx();
            trace("RxInd=0 >After Rec 0A Command C < " + str(dly_));
        }
        return;
    }
    setNoData(false);
    pktCount_ = 0;
    memSize_ = std::min(memSize_, 32800);
    setGauge(0, memSize_ + (memSize_ / 8) * 4 + 8);
    if (!settings_.uploadVeltronaData) {
        state_ = 180;
        dly_ = 100;
        return;
    }
    countRxProgress_ = true;
    setStatus(chipStatus(chipMem_));
    blockRetries_ = 0;
    if (!rawStarted_)
        rawChips_.clear();
    rawChips_.push_back(ChipLines{chipMem_ + 2, {}, false});

    const Awaiting blockRead{kBlockPointer, kBlockPointerAck, kDataBlock, true};
    for (;;) {
        setGauge(gaugePos_, gaugeMax_ + 20);
        // Drain: late frames of the last round are parsed and dropped, not taken as blocks.
        deadline_ = now() + 500;
        runParserUntilDeadline();
        trace("RxInd=0 >Send 0B Command< " + str(pktCount_) + " " +
              Hex(static_cast<std::uint8_t>(pktCount_ / 256)) + " " +
              Hex(static_cast<std::uint8_t>(pktCount_ % 256)));
        clearRx();
        sendTx(frames::BlockPointerFrame(chipMem_ + 2, pktCount_ * 8), blockRead);
        rxOk_ = false;
        deadline_ = now() + 1500;
        runParserUntilDeadline();
        awaiting_ = {};
        const bool missing = memSize_ >= (pktCount_ + 1) * 8;
        if (!missing || stop_) {
            blockRetries_ = 0;
            break;
        }
        ++blockRetries_;
        trace("Timeout with Send 0B/0D Command Normal< " + str(pktCount_));
        if (blockRetries_ == 6) {
            trace(">Timeout with Send 0B/0D Command< " + str(pktCount_));
            blockRetries_ = 0;
            // The chip stays unread and uncleared. When it was the last one, the download ends
            // here as if it were empty: there is no chip below 0 to ask for.
            if (chipMem_ < -1) {
                chip0GivenUp_ = true;
                state_ = 160;
                chipMem_ = -20;
            }
            break;
        }
    }
    dly_ = 100;
}

void TCommsThread::state180() {
    const bool fpPending = ctx_.failedPatrol.Pending();
    if (settings_.clearVeltronaMemory || fpPending) {
        if (!settings_.uploadVeltronaData)
            ctx_.host.ClearedWithoutUpload(ctx_.shared.IdLabelText());
        setStatus(msg(17) + " " + str(chipMem_ / 2 + 2));
        setGauge(gaugePos_, gaugeMax_ + 7);
        clearRx();
        trace("RxInd=0 >Send 11 Command (Clr Mem)< " + str(dly_));
        clearingChip_ = chipMem_ + 2;
        sendTx(frames::SetFillLevelFrame(chipMem_ + 2, 8), {kSetFill, kSetFillAck, 0, false});
        rxOk_ = false;
        WaitReply(500);
        awaiting_ = {};
        clearingChip_ = -1;
        if (!rxOk_) {
            state_ = 0;
            trace("TimeOut with Clear Mem");
        }
    } else if (chipMem_ < -1) {
        state_ = 160;
        dly_ = 10;
        clearRx();
        trace("RxInd=0 >180 Timer End of download gt 160< " + str(dly_));
    } else {
        state_ = 200;
        clearRx();
        trace("RxInd=0 >180 Timer gt 200< " + str(dly_));
    }
}

void TCommsThread::programmeStart() {
    // A copy: the dialog may prepare a new programme while this one is written.
    programme_ = ctx_.failedPatrol.Take();
    if (!programme_) {
        pollClock();
        return;
    }
    chipMem_ = 0;
    rawStarted_ = true;
    setGauge(0, static_cast<int>(programme_->programme.StoreLen() * 11 + 15));
    setNoData(false);
    setStatus("Clearing memory");
    clearRx();
    trace("RxInd=0 >Send 0B Command Clr Mem B< " + str(dly_));
    sendTx(frames::BlockPointerFrame(0, 8), {kBlockPointer, kBlockPointerAck, 0, false});
    rxOk_ = false;
    state_ = 250;
    writeIndex_ = 1;
    dly_ = 1;
    WaitReply(500);
    awaiting_ = {};
    rawStarted_ = false;
    if (!rxOk_) {
        state_ = 0;
        programme_.reset();
        trace("TimeOut with Clear mem for setfp");
    }
}

void TCommsThread::state250() {
    if (!programme_) {
        state_ = 0;
        return;
    }
    const std::int64_t storeLen = programme_->programme.StoreLen();
    if (writeIndex_ <= storeLen) {
        trace("StoreLen=" + str(storeLen));
        const FailedPatrolEntry& entry =
            programme_->programme.entries[static_cast<std::size_t>(writeIndex_ - 1)];
        setStatus(msg(71));
        clearRx();
        trace("RxInd=0 >Send 0F Command Baton Write< " + str(dly_));
        sendTx(frames::BlockWriteFrame(entry), {kBlockWrite, kBlockWriteAck, 0, false});
        rxOk_ = false;
        state_ = 250;
        ++writeIndex_;
        WaitReply(500);
        awaiting_ = {};
        if (!rxOk_) {
            state_ = 0;
            programme_.reset();
            trace("TimeOut with Write to baton");
        }
        return;
    }
    clearRx();
    trace("RxInd=0 >Send 11 Command C < " + str(dly_));
    const int v = static_cast<int>(storeLen * 8 + 8);
    programmeFillSent_ = true;
    sendTx(frames::SetFillLevelFrame(0, v), {kSetFill, kSetFillAck, 0, false});
    chipMem_ = -4;
    rxOk_ = false;
    state_ = 160;
    rawStarted_ = false;
    RawUploadFile::InWorkDir(ctx_.workDir).writeProgrammeEnd();
    WaitReply(500);
    awaiting_ = {};
    programmeFillSent_ = false;
    programme_.reset();
    if (!rxOk_) {
        state_ = 0;
        trace("TimeOut with Set Data Pointer");
    }
}

// ---------------------------------------------------------------- Raw.txt

void TCommsThread::startRawFile() {
    const RawUploadFile raw = RawUploadFile::InWorkDir(ctx_.workDir);
    rawHeader_ = ctx_.shared.IdLabelText();
    raw.start(rawHeader_);
    downloadOpen_ = true;
}

void TCommsThread::appendRawLine(const std::array<std::uint8_t, 8>& block) {
    const DateTime today = ctx_.clock.now();
    RawUploadFile::InWorkDir(ctx_.workDir).appendClocking(block, pktCount_, today);
    if (!rawChips_.empty())
        rawChips_.back().lines.push_back(ClockingLine(block, pktCount_, today));
}

void TCommsThread::downloadInterrupted(bool store) {
    downloadOpen_ = false;
    // Keep only what the baton no longer holds; the rest is read again with the baton.
    std::vector<std::string> lines{rawHeader_};
    for (const ChipLines& chip : rawChips_) {
        if (chip.cleared)
            lines.insert(lines.end(), chip.lines.begin(), chip.lines.end());
    }
    rawChips_.clear();
    const RawUploadFile raw = RawUploadFile::InWorkDir(ctx_.workDir);
    const bool keep = lines.size() > 1;
    if (!keep)
        lines.push_back("Done"); // nothing to store: every clocking is still on the baton
    textfile::replaceFileLines(raw.path(), lines);
    // The cleared chips' clockings exist only in this file and the next download would replace
    // it: store them now.
    if (keep && store) {
        trace("Synchronize(frmMain.DoRaw) interrupted download");
        ctx_.host.DoRaw();
    }
}

void TCommsThread::downloadHandedOver() {
    downloadOpen_ = false;
    rawChips_.clear();
}

} // namespace veltrona
