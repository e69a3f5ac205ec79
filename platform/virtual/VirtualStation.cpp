#include "platform/virtual/VirtualStation.h"

#include "platform/virtual/VirtualClock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace veltrona {

namespace {

// The station's own CRC8 (1-Wire: reflected 0x8C, initial 0).
std::uint8_t crc8(const std::string& s, std::size_t n) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < n; ++i) {
        auto b = static_cast<std::uint8_t>(s[i]);
        for (int bit = 0; bit < 8; ++bit) {
            const bool mix = ((crc ^ b) & 1) != 0;
            crc = static_cast<std::uint8_t>(crc >> 1);
            if (mix)
                crc ^= 0x8C;
            b = static_cast<std::uint8_t>(b >> 1);
        }
    }
    return crc;
}

std::string withCrc(std::string s) {
    s.push_back(static_cast<char>(crc8(s, s.size())));
    return s;
}

char ch(int v) {
    return static_cast<char>(static_cast<std::uint8_t>(v));
}
std::uint8_t u8(char c) {
    return static_cast<std::uint8_t>(c);
}

std::uint8_t bcd(int v) {
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}
int fromBcd(std::uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

std::int64_t secondsSince1899(const DateTime& t) {
    return (daysFromCivil(t.year, t.month, t.day) - daysFromCivil(1899, 12, 30)) * 86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
}

DateTime fromSeconds1899(std::int64_t secs) {
    DateTime r;
    civilFromDays(daysFromCivil(1899, 12, 30) + secs / 86400, r.year, r.month, r.day);
    std::int64_t rest = secs % 86400;
    r.hour = static_cast<int>(rest / 3600);
    r.minute = static_cast<int>(rest % 3600 / 60);
    r.second = static_cast<int>(rest % 60);
    return r;
}

constexpr std::int64_t kSecondsCounterBase = 2209161599LL;

int frameLength(std::uint8_t code) {
    switch (code) {
    case 0x01:
    case 0x03:
    case 0x0D:
    case 0x33:
        return 2;
    case 0x09:
        return 3;
    case 0x11:
        return 5;
    case 0x07:
    case 0x0B:
    case 0x35:
        return 6;
    case 0x05:
    case 0x0F:
        return 10;
    default:
        return 0;
    }
}

std::string hex(const std::string& s) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : s) {
        out.push_back(digits[u8(c) >> 4]);
        out.push_back(digits[u8(c) & 0x0F]);
    }
    return out;
}

std::uint64_t steadyNs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

} // namespace

std::vector<std::array<std::uint8_t, 8>> VirtualChip::storedBlocks() const {
    std::vector<std::array<std::uint8_t, 8>> out;
    const int n = fillLevel / 8;
    for (int k = 1; k < n && k < static_cast<int>(blocks.size()); ++k)
        out.push_back(blocks[static_cast<std::size_t>(k)]);
    return out;
}

VirtualStation::VirtualStation(VirtualClock& clock) : wallClock_(&clock), clock_(&clock) {}

VirtualStation::VirtualStation(const Clock& wallClock) : wallClock_(&wallClock), clock_(nullptr) {}

std::uint64_t VirtualStation::nowNs() const {
    return clock_ ? clock_->tickMs() * 1000000ULL : steadyNs();
}

void VirtualStation::setPort(const std::string& name, VirtualPortKind kind) {
    std::lock_guard lock(mutex_);
    ports_[name] = kind;
}

void VirtualStation::setByteTimeNs(std::uint64_t ns) {
    std::lock_guard lock(mutex_);
    byteNs_ = ns;
}

void VirtualStation::setReplyLatencyNs(std::uint64_t ns) {
    std::lock_guard lock(mutex_);
    latencyNs_ = ns;
}

void VirtualStation::placeBaton(VirtualBaton baton) {
    std::lock_guard lock(mutex_);
    baton_ = std::move(baton);
    batonOn_ = true;
    stationBuf_.clear();
    cv_.notify_all();
}

void VirtualStation::removeBaton() {
    std::lock_guard lock(mutex_);
    batonOn_ = false;
    stationBuf_.clear();
}

bool VirtualStation::batonPresent() const {
    std::lock_guard lock(mutex_);
    return batonOn_;
}

VirtualBaton VirtualStation::baton() const {
    std::lock_guard lock(mutex_);
    return baton_;
}

void VirtualStation::addFault(StationFault fault) {
    std::lock_guard lock(mutex_);
    faults_.push_back(std::move(fault));
}

void VirtualStation::inject(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    if (openKind_ == VirtualPortKind::Cable)
        deliver(bytes, nowNs());
    cv_.notify_all();
}

void VirtualStation::touchIdButton(const std::string& sixHex) {
    std::string frame(1, ch(0x24));
    for (std::size_t i = 0; i + 1 < sixHex.size() && frame.size() < 4; i += 2)
        frame.push_back(ch(std::stoi(sixHex.substr(i, 2), nullptr, 16)));
    inject(withCrc(frame));
}

std::vector<std::string> VirtualStation::receivedFrames() const {
    std::lock_guard lock(mutex_);
    return received_;
}

int VirtualStation::bytesLostInBreak() const {
    std::lock_guard lock(mutex_);
    return lostInBreak_;
}

int VirtualStation::helloCount() const {
    std::lock_guard lock(mutex_);
    return hellos_;
}

void VirtualStation::open(const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto it = ports_.find(name);
    if (it == ports_.end() || it->second == VirtualPortKind::Absent)
        throw SerialError("cannot open " + name + ": no such port");
    if (openKind_ != VirtualPortKind::Absent)
        throw SerialError("cannot open " + name + ": a port is already open");
    openName_ = name;
    openKind_ = it->second;
    dtr_ = false;
    break_ = false;
    rx_.clear();
    stationBuf_.clear();
}

void VirtualStation::close() {
    std::lock_guard lock(mutex_);
    openName_.clear();
    openKind_ = VirtualPortKind::Absent;
    dtr_ = false;
    break_ = false;
    rx_.clear();
}

bool VirtualStation::isOpen() const {
    std::lock_guard lock(mutex_);
    return openKind_ != VirtualPortKind::Absent;
}

void VirtualStation::setDtr(bool on) {
    std::lock_guard lock(mutex_);
    if (openKind_ == VirtualPortKind::Absent)
        throw SerialError("DTR: the port is not open");
    dtr_ = on;
}

void VirtualStation::setBreak(bool on) {
    std::lock_guard lock(mutex_);
    if (openKind_ == VirtualPortKind::Absent)
        return;
    const bool released = break_ && !on;
    break_ = on;
    // The station greets a baton each time the PC releases the break.
    if (released && batonOn_ && openKind_ == VirtualPortKind::Cable) {
        ++hellos_;
        deliver(std::string{ch(0x01), ch(0x0D)}, nowNs() + latencyNs_);
        cv_.notify_all();
    }
}

std::size_t VirtualStation::write(const std::string& bytes) {
    std::lock_guard lock(mutex_);
    if (openKind_ == VirtualPortKind::Absent || bytes.empty())
        return 0;
    const std::uint64_t now = nowNs();
    if (auto stray = takeFault(u8(bytes[0]), true))
        deliver(stray->bytes, std::max(now, txFreeNs_));
    for (char c : bytes) {
        const std::uint64_t start = std::max(now, txFreeNs_);
        const std::uint64_t done = start + byteNs_;
        txFreeNs_ = done;
        if (break_) {
            ++lostInBreak_;
            continue;
        }
        if (openKind_ == VirtualPortKind::LoopBack || (openKind_ == VirtualPortKind::Cable && dtr_))
            deliver(std::string(1, c), start);
        if (openKind_ == VirtualPortKind::Cable)
            stationByte(u8(c), done);
    }
    cv_.notify_all();
    return bytes.size();
}

void VirtualStation::deliver(const std::string& bytes, std::uint64_t readyNs) {
    for (char c : bytes) {
        const std::uint64_t at = std::max(rxFreeNs_, readyNs) + byteNs_;
        rxFreeNs_ = at;
        rx_.push_back({at, c});
    }
}

std::size_t VirtualStation::dueLocked() const {
    const std::uint64_t now = nowNs();
    std::size_t n = 0;
    while (n < rx_.size() && rx_[n].atNs <= now)
        ++n;
    return n;
}

std::size_t VirtualStation::bytesWaiting() {
    std::lock_guard lock(mutex_);
    return dueLocked();
}

std::string VirtualStation::read(std::size_t n) {
    std::lock_guard lock(mutex_);
    const std::size_t due = std::min(n, dueLocked());
    std::string out;
    out.reserve(due);
    for (std::size_t i = 0; i < due; ++i) {
        out.push_back(rx_.front().byte);
        rx_.pop_front();
    }
    return out;
}

bool VirtualStation::waitForBytes(std::uint64_t timeoutMs) {
    std::unique_lock lock(mutex_);
    if (dueLocked() > 0)
        return true;
    if (clock_) {
        const std::uint64_t now = nowNs();
        const std::uint64_t deadline = now + timeoutMs * 1000000ULL;
        if (openKind_ != VirtualPortKind::Absent && !rx_.empty() && rx_.front().atNs <= deadline) {
            clock_->advance((rx_.front().atNs - now + 999999ULL) / 1000000ULL);
            return true;
        }
        clock_->advance(timeoutMs);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (dueLocked() > 0)
            return true;
        const auto t = std::chrono::steady_clock::now();
        if (t >= deadline)
            return false;
        auto until = deadline;
        if (!rx_.empty()) {
            const auto due = std::chrono::steady_clock::time_point(
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                    std::chrono::nanoseconds(rx_.front().atNs)));
            until = std::min(until, due);
        }
        cv_.wait_until(lock, until);
    }
}

std::optional<StationFault> VirtualStation::takeFault(std::uint8_t command, bool writeLevel) {
    const int count = writeLevel ? ++writeCounts_[command] : frameCounts_[command];
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        const bool isWriteFault = it->kind == StationFault::Kind::StrayBytes;
        if (isWriteFault == writeLevel && it->command == command && it->occurrence == count) {
            StationFault f = *it;
            faults_.erase(it);
            return f;
        }
    }
    return std::nullopt;
}

void VirtualStation::stationByte(std::uint8_t b, std::uint64_t atNs) {
    if (!batonOn_) {
        stationBuf_.clear();
        return;
    }
    stationBuf_.push_back(static_cast<char>(b));
    while (!stationBuf_.empty() && frameLength(u8(stationBuf_[0])) == 0)
        stationBuf_.erase(0, 1);
    if (stationBuf_.empty())
        return;
    const auto len = static_cast<std::size_t>(frameLength(u8(stationBuf_[0])));
    if (stationBuf_.size() < len)
        return;
    const std::string frame = stationBuf_.substr(0, len);
    stationBuf_.erase(0, len);
    execute(frame, atNs);
}

VirtualChip& VirtualStation::chip(int number) {
    return baton_.chips[number];
}

void VirtualStation::execute(const std::string& frame, std::uint64_t atNs) {
    const std::uint8_t code = u8(frame[0]);
    received_.push_back(hex(frame));
    ++frameCounts_[code];
    const std::optional<StationFault> fault = takeFault(code, false);
    if (fault && fault->kind == StationFault::Kind::BatonOff) {
        batonOn_ = false;
        stationBuf_.clear();
        return;
    }
    if (fault && fault->kind == StationFault::Kind::NoAnswer)
        return;
    const std::size_t n = frame.size();
    const bool valid = code == 0x0F ? crc8(frame, 8) == u8(frame[8]) && crc8(frame, 10) == 0
                                    : crc8(frame, n - 1) == u8(frame[n - 1]);
    if (!valid)
        return;
    std::string reply;
    if (fault && fault->kind == StationFault::Kind::Refuse)
        reply = withCrc(std::string{ch(code + 1), ch(0)});
    else
        reply = answer(frame);
    if (fault && fault->kind == StationFault::Kind::WrongCheckByte && !reply.empty())
        reply.back() = static_cast<char>(~u8(reply.back()));
    if (fault && fault->kind == StationFault::Kind::DropBytes)
        reply.resize(reply.size() -
                     std::min<std::size_t>(reply.size(), static_cast<std::size_t>(fault->count)));
    deliver(reply, atNs + latencyNs_);
}

std::string VirtualStation::answer(const std::string& f) {
    const std::uint8_t code = u8(f[0]);
    const DateTime pcNow = wallClock_->now();
    const auto ack = [](int replyCode) { return withCrc(std::string{ch(replyCode), ch(1)}); };
    switch (code) {
    case 0x01: {
        std::string r{ch(0x02), ch(baton_.version[0]), ch(baton_.version[1])};
        std::string id = baton_.identity;
        id.resize(8, ' ');
        return withCrc(r + id);
    }
    case 0x03: {
        if (baton_.clockUnset)
            return withCrc(std::string{ch(0x04), ch(0x20), ch(0x00), ch(0x1F), ch(0x3F), ch(0xFF),
                                       ch(0xFF), ch(0xFF), ch(baton_.delayByte)});
        const DateTime t = fromSeconds1899(secondsSince1899(pcNow) + baton_.clockOffsetSeconds);
        return withCrc(std::string{ch(0x04), ch(bcd(t.year / 100)), ch(bcd(t.year % 100)),
                                   ch(bcd(t.month)), ch(bcd(t.day)), ch(bcd(t.hour)),
                                   ch(bcd(t.minute)), ch(bcd(t.second)), ch(baton_.delayByte)});
    }
    case 0x05: {
        const DateTime set{fromBcd(u8(f[1])) * 100 + fromBcd(u8(f[2])),
                           fromBcd(u8(f[3])),
                           fromBcd(u8(f[4])),
                           fromBcd(u8(f[5])),
                           fromBcd(u8(f[6])),
                           fromBcd(u8(f[7])),
                           0};
        baton_.clockUnset = false;
        baton_.clockOffsetSeconds = secondsSince1899(set) - secondsSince1899(pcNow);
        return ack(0x06);
    }
    case 0x33: {
        const auto v = static_cast<std::uint32_t>(secondsSince1899(pcNow) +
                                                  baton_.clockOffsetSeconds - kSecondsCounterBase);
        return withCrc(std::string{
            ch(0x34), ch(static_cast<int>(v & 0xFF)), ch(static_cast<int>((v >> 8) & 0xFF)),
            ch(static_cast<int>((v >> 16) & 0xFF)), ch(static_cast<int>((v >> 24) & 0xFF))});
    }
    case 0x35: {
        const std::uint32_t v = static_cast<std::uint32_t>(u8(f[1])) |
                                (static_cast<std::uint32_t>(u8(f[2])) << 8) |
                                (static_cast<std::uint32_t>(u8(f[3])) << 16) |
                                (static_cast<std::uint32_t>(u8(f[4])) << 24);
        baton_.clockUnset = false;
        baton_.clockOffsetSeconds =
            static_cast<std::int64_t>(v) + kSecondsCounterBase - secondsSince1899(pcNow);
        return ack(0x36);
    }
    case 0x07: {
        std::string id = baton_.identity;
        id.resize(8, ' ');
        baton_.identity = id.substr(0, 4) + f.substr(1, 4);
        return ack(0x08);
    }
    case 0x09: {
        const int number = u8(f[1]);
        const auto it = baton_.chips.find(number);
        if (it != baton_.chips.end() && !it->second.usable)
            return withCrc(std::string{ch(0x0A), ch(0x80), ch(0x00)});
        const int fill = it == baton_.chips.end() ? 8 : it->second.fillLevel;
        return withCrc(std::string{ch(0x0A), ch((fill >> 8) & 0xFF), ch(fill & 0xFF)});
    }
    case 0x0B:
        pointerChip_ = u8(f[1]);
        pointerBlock_ = (u8(f[2]) * 256 + u8(f[3])) / 8;
        return ack(0x0C);
    case 0x0D: {
        std::string r(1, ch(0x0E));
        const VirtualChip& c = chip(pointerChip_);
        if (pointerBlock_ < static_cast<int>(c.blocks.size())) {
            for (std::uint8_t b : c.blocks[static_cast<std::size_t>(pointerBlock_)])
                r.push_back(ch(b));
        } else {
            r.append(8, ch(0xFF));
        }
        ++pointerBlock_;
        return withCrc(r);
    }
    case 0x0F: {
        VirtualChip& c = chip(pointerChip_);
        if (static_cast<int>(c.blocks.size()) <= pointerBlock_)
            c.blocks.resize(static_cast<std::size_t>(pointerBlock_ + 1),
                            {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
        auto& block = c.blocks[static_cast<std::size_t>(pointerBlock_)];
        for (std::size_t i = 0; i < 8; ++i)
            block[i] = u8(f[i + 1]);
        ++pointerBlock_;
        return ack(0x10);
    }
    case 0x11:
        chip(u8(f[1])).fillLevel = u8(f[2]) * 256 + u8(f[3]);
        return ack(0x12);
    default:
        return {};
    }
}

} // namespace veltrona
