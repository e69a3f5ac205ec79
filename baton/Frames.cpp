#include "baton/Frames.h"

#include <cstdio>

namespace veltrona::frames {

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values)
        s.push_back(static_cast<char>(static_cast<std::uint8_t>(v)));
    return s;
}

std::uint8_t at(std::string_view s, std::size_t i) {
    return static_cast<std::uint8_t>(s[i]);
}

// Whole seconds from 30 December 1899 00:00 to the local time.
std::int64_t secondsSince1899(const DateTime& t) {
    const std::int64_t days = daysFromCivil(t.year, t.month, t.day) - daysFromCivil(1899, 12, 30);
    return days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

// Two hex digits read as a decimal number ("09" -> 9); nullopt when they are not decimal digits.
std::optional<int> hexAsDecimal(std::uint8_t b) {
    const int hi = b >> 4;
    const int lo = b & 0x0F;
    if (hi > 9 || lo > 9)
        return std::nullopt;
    return hi * 10 + lo;
}

} // namespace

std::uint8_t Crc8(std::string_view s) {
    return Crc8(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

std::string Hex(std::uint8_t b) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[b >> 4], digits[b & 0x0F]};
}

std::string HexDump(std::string_view s) {
    std::string out;
    out.reserve(s.size() * 3);
    for (std::size_t i = 0; i < s.size(); ++i)
        out += Hex(at(s, i)) + " ";
    return out;
}

std::string WithCrc(std::string_view s) {
    std::string out(s);
    out.push_back(static_cast<char>(Crc8(s)));
    return out;
}

std::string IdentityRequest() {
    return WithCrc(bytes({0x01}));
}
std::string ClockRequest() {
    return WithCrc(bytes({0x03}));
}
std::string SecondsClockRequest() {
    return WithCrc(bytes({0x33}));
}
std::string NextBlockRequest() {
    return WithCrc(bytes({0x0D}));
}
std::string HelloAnswer() {
    return std::string(20, '\x55');
}
std::string CableProbe() {
    return "Emty";
}

std::uint8_t Bcd(int value) {
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

std::string SetClockFrame(const DateTime& t) {
    return WithCrc(
        bytes({0x05, Bcd(t.year / 100), Bcd(t.year % 100), Bcd(t.month), Bcd(t.day), Bcd(t.hour),
               Bcd(t.minute), Bcd(t.second), dayOfWeek(t.year, t.month, t.day)}));
}

std::uint32_t SecondsCounterValue(const DateTime& t) {
    return static_cast<std::uint32_t>(secondsSince1899(t) - 2209161599LL);
}

DateTime SecondsCounterMoment(std::uint32_t value) {
    const std::int64_t secs = static_cast<std::int64_t>(value) + 2209161599LL;
    DateTime r;
    civilFromDays(daysFromCivil(1899, 12, 30) + secs / 86400, r.year, r.month, r.day);
    std::int64_t rest = secs % 86400;
    r.hour = static_cast<int>(rest / 3600);
    rest %= 3600;
    r.minute = static_cast<int>(rest / 60);
    r.second = static_cast<int>(rest % 60);
    return r;
}

std::string SetSecondsClockFrame(const DateTime& t) {
    const std::uint32_t v = SecondsCounterValue(t);
    return WithCrc(bytes({0x35, static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
                          static_cast<int>((v >> 16) & 0xFF), static_cast<int>((v >> 24) & 0xFF)}));
}

std::string SetIdFrame(std::string_view id) {
    std::string f = bytes({0x07});
    f += std::string(id.substr(0, 4));
    f.resize(5, '0');
    return WithCrc(f);
}

std::string FillLevelRequest(int chip) {
    return WithCrc(bytes({0x09, chip & 0xFF}));
}

std::string BlockPointerFrame(int chip, int address) {
    return WithCrc(bytes({0x0B, chip & 0xFF, (address / 256) & 0xFF, address % 256, 0x08}));
}

std::string BlockWriteFrame(const std::array<std::uint8_t, 7>& entry) {
    std::string f = bytes({0x0F});
    for (std::uint8_t b : entry)
        f.push_back(static_cast<char>(b));
    f = WithCrc(f);
    return WithCrc(f);
}

std::string SetFillLevelFrame(int chip, int level) {
    return WithCrc(bytes({0x11, chip & 0xFF, (level / 256) & 0xFF, level % 256}));
}

bool FrameValid(const std::uint8_t* rx, int held, int length) {
    return held >= length && Crc8(rx, static_cast<std::size_t>(length - 1)) == rx[length - 1];
}

Ack ParseAck(const std::uint8_t* rx, int held) {
    if (held < 3)
        return Ack::Incomplete;
    if (!FrameValid(rx, held, 3))
        return Ack::BadCheck;
    if (rx[1] == 1)
        return Ack::Positive;
    if (rx[1] == 0)
        return Ack::Negative;
    return Ack::OtherStatus;
}

std::string FilterIdentity(std::string_view raw) {
    std::string out;
    for (char c : raw) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
            out.push_back(c);
    }
    return out;
}

bool IsSecondsCounterBaton(std::string_view identity) {
    return identity.size() >= 4 && identity[3] == 'C';
}

bool IsFamilyBaton(std::string_view identity) {
    const std::string_view head = identity.substr(0, 4);
    return head == "Brin" || head == "BRIN" || head == "BriC";
}

ClockDisplay BcdClockDisplay(const std::uint8_t* rx, const DateTime& now,
                             const std::string& dateCaption, const std::string& timeCaption) {
    ClockDisplay d;
    const std::string unsetProbe = Hex(rx[4]) + Hex(rx[3]) + Hex(rx[5]) + Hex(rx[6]) + Hex(rx[7]);
    if (unsetProbe == "3F1FFFFFFF") {
        d.date = dateCaption + " ?";
        d.time = timeCaption + " ?";
        return d;
    }
    d.compared = true;
    const auto yh = hexAsDecimal(rx[1]);
    const auto yl = hexAsDecimal(rx[2]);
    const auto mo = hexAsDecimal(rx[3]);
    const auto dy = hexAsDecimal(rx[4]);
    const auto hr = hexAsDecimal(rx[5]);
    const auto mi = hexAsDecimal(rx[6]);
    d.mismatch = true;
    if (yh && yl && mo && dy && hr && mi && *mo >= 1 && *mo <= 12 && *dy >= 1 && *hr <= 23 &&
        *mi <= 59) {
        const int year = *yh * 100 + *yl;
        if (*dy <= daysInMonth(year, *mo)) {
            const DateTime baton{year, *mo, *dy, *hr, *mi, 0, 0};
            const std::int64_t diff = secondsSince1899(now) - secondsSince1899(baton);
            d.mismatch = diff < -60 || diff > 60;
        }
    }
    d.date = dateCaption + " " + Hex(rx[4]) + "/" + Hex(rx[3]) + "/" + Hex(rx[1]) + Hex(rx[2]);
    d.time = timeCaption + " " + Hex(rx[5]) + ":" + Hex(rx[6]) + "." + Hex(rx[7]);
    return d;
}

ClockDisplay SecondsClockDisplay(const std::uint8_t* rx, const std::string& dateCaption,
                                 const std::string& timeCaption) {
    const std::uint32_t v =
        static_cast<std::uint32_t>(rx[1]) | (static_cast<std::uint32_t>(rx[2]) << 8) |
        (static_cast<std::uint32_t>(rx[3]) << 16) | (static_cast<std::uint32_t>(rx[4]) << 24);
    const DateTime m = SecondsCounterMoment(v);
    ClockDisplay d;
    d.date = dateCaption + " " + twoDigits(m.day) + "/" + twoDigits(m.month) + "/" +
             std::to_string(m.year);
    d.time = timeCaption + " " + twoDigits(m.hour) + ":" + twoDigits(m.minute) + "." +
             twoDigits(m.second);
    return d;
}

std::optional<int> ChipDisplayNumber(int chipMem) {
    const int k = chipMem / 2;
    if (k == -1)
        return std::nullopt;
    return k + 2;
}

} // namespace veltrona::frames
