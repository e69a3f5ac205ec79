#pragma once

// The virtual baton file: a plain-text description of the baton lying on the virtual upload
// station. One statement a line; "#" starts a comment; blank lines are ignored; keywords are
// matched without regard to case.
//
//   identity Brin0042        the eight identity characters of the identity reply
//   version 16 27            the two version bytes of the identity reply, in hex
//   clock bcd +0             clock kind "bcd" or "seconds", then the baton's clock minus the
//                            PC's in seconds (e.g. -120); "clock bcd unset" is a clock that was
//                            never set (day 3F, month 1F, FF FF FF)
//   delay 0                  byte 9 of the BCD clock reply, decimal
//   chip 14                  starts chip 14 (an even number 0..14); the lines after it, up to the
//                            next "chip", belong to it. A chip that is not listed reads as empty.
//   header FFFFFFFFFFFFFFFF  optional: the chip's header block (default eight FF bytes)
//   00A1B2 08 09 22 15 00    one clocking block: eight bytes in hex (spaces between bytes are
//                            optional): Id button 3 bytes, month, day, hour, minute (BCD), spare;
//                            a block of only 6 or 7 bytes is padded with 00
//   fill 24                  optional: the chip's fill level in bytes; by default
//                            8 + 8 x the number of blocks listed
//   unusable                 the chip answers 80 00: no usable chip
//
// Example: a two-chip baton with two clockings on chip 0:
//   identity Brin0042
//   chip 0
//   00A1B2 08 09 22 15 00
//   00A1B3 08 09 22 31 00

#include "platform/virtual/VirtualStation.h"

#include <filesystem>
#include <iosfwd>
#include <stdexcept>

namespace veltrona {

// A line of the file that is not understood; the message names the line number.
class VirtualBatonFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

VirtualBaton ParseVirtualBatonFile(std::istream& in);
// Throws FileError when the file cannot be read.
VirtualBaton LoadVirtualBatonFile(const std::filesystem::path& file);

} // namespace veltrona
