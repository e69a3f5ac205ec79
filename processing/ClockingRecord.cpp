#include "processing/ClockingRecord.h"

#include "platform/Chars.h"

namespace veltrona::record {

namespace {

// Two hex digits at `pos` (0-based) as a byte; -1 when missing or not hex.
int hexByte(std::string_view line, std::size_t pos) {
    if (line.size() < pos + 2)
        return -1;
    const int hi = hexDigit(line[pos]);
    const int lo = hexDigit(line[pos + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string_view part(std::string_view line, std::size_t pos, std::size_t count) {
    return pos >= line.size() ? std::string_view() : line.substr(pos, count);
}

} // namespace

bool IsIdLine(std::string_view line) {
    return line.substr(0, 2) == "Id";
}

bool IsDoneLine(std::string_view line) {
    return line == "Done";
}

bool IsGapLine(std::string_view line) {
    return line == "MissingLine" || line == "Missing Line" || line == "ExtraLine" ||
           line == "Extra Line";
}

std::string_view IdOf(std::string_view line) {
    return part(line, 6, 6);
}

std::string_view DayOf(std::string_view line) {
    return part(line, 12, 6);
}

int MinuteValue(std::string_view line) {
    return hexByte(line, 20);
}

bool IsCorrupt(std::string_view line) {
    for (std::size_t i = 12; i < line.size(); ++i)
        if (i != 18 && !isDecimalDigit(line[i]))
            return true;
    return false;
}

bool IsUnitMarker(std::string_view line, std::size_t minLength) {
    if (line.size() < minLength || MinuteValue(line) <= 127)
        return false;
    const std::string_view id = IdOf(line);
    if (id.size() != 6)
        return false;
    for (const char c : id)
        if (!isDecimalDigit(c))
            return false;
    return true;
}

std::string RecordKey(std::string_view line) {
    std::string key(part(line, 12, 10));
    key += part(line, 0, 12);
    return key;
}

std::string LineFromKey(std::string_view key) {
    std::string line(part(key, 10, 12));
    line += part(key, 0, 10);
    return line;
}

bool CheckRecordCrc(std::string_view line) {
    if (line.size() < RecordLength)
        return false;
    unsigned char bytes[11];
    for (std::size_t i = 0; i < 11; ++i) {
        const int b = hexByte(line, 2 * i);
        if (b < 0)
            return false;
        bytes[i] = static_cast<unsigned char>(b);
    }
    return bytes[0] == Crc8(bytes + 1, 10);
}

} // namespace veltrona::record
