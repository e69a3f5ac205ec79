#pragma once

#include "platform/Crc8.h"

#include <cstddef>
#include <string>
#include <string_view>

// How a line of a raw upload file is read as a clocking record. Positions in the comments count
// from 1: 1-6 prefix, 7-12 checkpoint Id, 13-18 yymmdd, 19-20 hour byte (two flag bits), 21-22
// minute byte (unit-marker bit), 23 on the block number.
namespace veltrona::record {

// A record carries meaning in its first 22 characters; shorter lines are not records.
constexpr std::size_t RecordLength = 22;
// Unit markers need one more character when storing (the block number) than when processing.
constexpr std::size_t StoreMarkerLength = 23;
constexpr std::size_t ProcessMarkerLength = 22;

bool IsIdLine(std::string_view line);   // begins with "Id"
bool IsDoneLine(std::string_view line); // equals "Done"
// "MissingLine", "Missing Line", "ExtraLine" or "Extra Line".
bool IsGapLine(std::string_view line);

// Characters 7-12 (shorter when the line is short).
std::string_view IdOf(std::string_view line);
// Characters 13-18, the day file's name without ".txt".
std::string_view DayOf(std::string_view line);

// Characters 21-22 read as a hexadecimal number, 0..255; -1 when they are missing or not hex.
int MinuteValue(std::string_view line);

// Some character from position 13 to the end of the line, other than position 19 (which may hold
// the hour flags), is not a decimal digit.
bool IsCorrupt(std::string_view line);

// At least `minLength` characters, minute value above 127, and characters 7-12 all digits.
bool IsUnitMarker(std::string_view line, std::size_t minLength);

// The record key of a line of 22 characters or more: characters 13-22 then 1-12.
std::string RecordKey(std::string_view line);
// The record's characters 1-22 back from its key.
std::string LineFromKey(std::string_view key);

// The record check of combined mode: characters 1-22 as eleven hex bytes, the first equal to
// the 1-Wire CRC-8 of the other ten. False for a short line or a pair that is not hex.
bool CheckRecordCrc(std::string_view line);
// The 1-Wire CRC-8 (reflected polynomial 8C, initial 0) of `bytes`.
using veltrona::Crc8;

} // namespace veltrona::record
