#pragma once

#include "platform/Crc8.h"

#include "platform/DateTime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The station's frames as bytes: check bytes, command frames and reply parsers. Free functions,
// so they are tested without a port or a thread.
namespace veltrona::frames {

// Dallas/Maxim 1-Wire CRC-8: reflected polynomial 0x8C, initial 0, no final inversion.
using veltrona::Crc8;
std::uint8_t Crc8(std::string_view bytes);

// Two upper-case hex digits.
std::string Hex(std::uint8_t b);
// Each byte as two upper-case hex digits followed by a space ("01 5E ").
std::string HexDump(std::string_view bytes);

// The bytes followed by their CRC8.
std::string WithCrc(std::string_view bytes);

// Command frames. The fixed ones: 01 5E, 03 E2, 0D FD, 33 5C.
std::string IdentityRequest();
std::string ClockRequest();
std::string SecondsClockRequest();
std::string NextBlockRequest();
// Twenty 55 bytes: the answer to a hello.
std::string HelloAnswer();
// "Emty"
std::string CableProbe();
// 05 century year month day hour minute second weekday crc, all BCD, weekday 0 = Sunday.
std::string SetClockFrame(const DateTime& now);
// Seconds-counter clock value of a local time: whole seconds since 30 December 1899 less
// 2 209 161 599 (modulo 2^32).
std::uint32_t SecondsCounterValue(const DateTime& now);
// The moment a seconds-counter value stands for.
DateTime SecondsCounterMoment(std::uint32_t value);
// 35 s0 s1 s2 s3 crc, s0 least significant.
std::string SetSecondsClockFrame(const DateTime& now);
// 07 c1 c2 c3 c4 crc; `id` must hold four characters.
std::string SetIdFrame(std::string_view id);
// 09 chip crc
std::string FillLevelRequest(int chip);
// 0B chip addrHi addrLo 08 crc
std::string BlockPointerFrame(int chip, int address);
// 0F e1..e7 k1 k2: k1 = CRC8 of the first eight bytes, k2 = CRC8 of the first nine (always 00).
std::string BlockWriteFrame(const std::array<std::uint8_t, 7>& entry);
// 11 chip hi lo crc
std::string SetFillLevelFrame(int chip, int level);

// A BCD byte of a number 0..99.
std::uint8_t Bcd(int value);

// The frame of `length` bytes at the front is complete and its last byte is the CRC8 of the
// others.
bool FrameValid(const std::uint8_t* rx, int held, int length);

// A three-byte ack frame: code, status, check byte.
enum class Ack { Incomplete, BadCheck, Positive, Negative, OtherStatus };
Ack ParseAck(const std::uint8_t* rx, int held);

// The identity characters that are letters or digits, in order.
std::string FilterIdentity(std::string_view raw);
// Fourth identity character "C": a baton whose clock is a seconds counter.
bool IsSecondsCounterBaton(std::string_view identity);
// First four identity characters "Brin", "BRIN" or "BriC".
bool IsFamilyBaton(std::string_view identity);

// What a clock reply shows.
struct ClockDisplay {
    std::string date;      // "Date : 09/08/2011"
    std::string time;      // "Time : 10:00.05"
    bool mismatch = false; // warning shown, labels red
    bool compared = false; // false for the unset clock and seconds-counter replies
};

// Reply 04 (bytes 1..10). `now` is the PC's local time.
ClockDisplay BcdClockDisplay(const std::uint8_t* rx, const DateTime& now,
                             const std::string& dateCaption, const std::string& timeCaption);
// Reply 34 (bytes 1..6).
ClockDisplay SecondsClockDisplay(const std::uint8_t* rx, const std::string& dateCaption,
                                 const std::string& timeCaption);

// The number shown after "Downloading Data" for a chip counter value; nullopt for the message
// alone (k = ChipMem / 2 toward zero; k + 2, nothing when k is -1).
std::optional<int> ChipDisplayNumber(int chipMem);

} // namespace veltrona::frames
